#include <gtest/gtest.h>

#include "resource.h"
#include "ui/png_image.h"
#include "ui_test_support.h"

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

TEST(LoadPngResource, EverySkinImageHasItsSize) {
    struct Case { WORD id; UINT width; UINT height; };
    const Case cases[] = {
        {IDB_BACKGROUND, 757, 321},     {IDB_CLOSE_NORMAL, 38, 38},   {IDB_CLOSE_HOVER, 38, 38},
        {IDB_CLOSE_PRESSED, 38, 38},    {IDB_START_NORMAL, 160, 56},  {IDB_START_HOVER, 160, 56},
        {IDB_START_PRESSED, 160, 56},   {IDB_PROGRESS_FILL, 640, 44}, {IDB_BUTTON_DISABLED, 156, 53},
    };
    for (const Case& c : cases) {
        std::unique_ptr<PngImage> image = LoadPngResource(c.id);
        ASSERT_NE(image, nullptr) << c.id;
        EXPECT_NE(image->Get(), nullptr) << c.id;
        EXPECT_EQ(image->Width(), c.width) << c.id;
        EXPECT_EQ(image->Height(), c.height) << c.id;
    }
}

TEST(LoadPngResource, MissingIdGivesAnEmptyImageThatDrawsNothing) {
    std::unique_ptr<PngImage> image = LoadPngResource(4321);
    ASSERT_NE(image, nullptr) << "a missing resource is not a failed load";
    EXPECT_EQ(image->Get(), nullptr);
    EXPECT_EQ(image->Width(), 0u);
    EXPECT_EQ(image->Height(), 0u);
    EXPECT_NE(image->LastStatus(), Ok);
    EXPECT_TRUE(image->PremultipliedBottomUp().empty());
}

TEST(LoadPngResource, SameIdTwiceGivesIndependentImages) {
    std::unique_ptr<PngImage> first = LoadPngResource(IDB_CLOSE_NORMAL);
    std::unique_ptr<PngImage> second = LoadPngResource(IDB_CLOSE_NORMAL);
    ASSERT_TRUE(first && second);
    EXPECT_NE(first->Get(), second->Get());
    first.reset();

    // Still drawable once the loader's stream and the other image are gone.
    Canvas canvas(38, 38);
    ASSERT_EQ(GdipDrawImageRectI(canvas.Graphics(), second->Get(), 0, 0, 38, 38), Ok);
    EXPECT_EQ(Canvas::Alpha(canvas.Pixel(19, 19)), 255) << "the button's face is opaque";
    EXPECT_EQ(Canvas::Alpha(canvas.Pixel(0, 0)), 0) << "the corner outside the round button is see-through";
}

TEST(LoadPngResource, PremultipliedRowsAreBottomUp) {
    std::unique_ptr<PngImage> image = LoadPngResource(IDB_PROGRESS_FILL);
    ASSERT_TRUE(image && image->Get());
    const std::vector<uint32_t> pixels = image->PremultipliedBottomUp();
    ASSERT_EQ(pixels.size(), 640u * 44u);

    // The fill's bar lies in its upper rows; the rows below it are see-through.
    auto at = [&](int x, int y) { return pixels[static_cast<size_t>(43 - y) * 640 + static_cast<size_t>(x)]; };
    EXPECT_EQ(at(100, 20) >> 24, 255u) << "inside the bar";
    EXPECT_EQ(at(100, 40), 0u) << "below the bar";
    // Premultiplied: no colour channel exceeds alpha.
    for (uint32_t p : pixels) {
        const uint32_t a = p >> 24;
        ASSERT_LE((p >> 16) & 0xFF, a);
        ASSERT_LE((p >> 8) & 0xFF, a);
        ASSERT_LE(p & 0xFF, a);
    }
}
