#include "ui_test_support.h"

#include <gtest/gtest.h>

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {

class GdiplusEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        GdiplusStartupInput input;
        ASSERT_EQ(GdiplusStartup(&token_, &input, nullptr), Ok);
    }
    void TearDown() override { GdiplusShutdown(token_); }

private:
    ULONG_PTR token_ = 0;
};

::testing::Environment* const g_gdiplus = ::testing::AddGlobalTestEnvironment(new GdiplusEnvironment);

}  // namespace

Canvas::Canvas(int width, int height) {
    GdipCreateBitmapFromScan0(width, height, 0, PixelFormat32bppPARGB, nullptr, &bitmap_);
    if (bitmap_) GdipGetImageGraphicsContext(bitmap_, &graphics_);
    if (graphics_) GdipGraphicsClear(graphics_, 0);
}

Canvas::~Canvas() {
    if (graphics_) GdipDeleteGraphics(graphics_);
    if (bitmap_) GdipDisposeImage(bitmap_);
}

ARGB Canvas::Pixel(int x, int y) const {
    GdipFlush(graphics_, FlushIntentionSync);
    ARGB color = 0;
    GdipBitmapGetPixel(bitmap_, x, y, &color);
    return color;
}

bool Canvas::AnyInked(int x0, int y0, int x1, int y1) const {
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (Alpha(Pixel(x, y)) != 0) return true;
    return false;
}
