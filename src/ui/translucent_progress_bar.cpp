#include "ui/translucent_progress_bar.h"

#include <algorithm>
#include <cstdint>

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {

// The image's top-left width x height pixels at their own scale. Beyond the
// image's edges nothing is drawn, so a control larger than the image shows
// the image only up to its size.
void DrawUnscaled(GpGraphics* graphics, const PngImage& image, REAL left, REAL top, REAL width, REAL height) {
    width = std::min(width, static_cast<REAL>(image.Width()));
    height = std::min(height, static_cast<REAL>(image.Height()));
    if (!image.Get() || width <= 0 || height <= 0) return;
    image.SetLastStatus(GdipDrawImageRectRect(graphics, image.Get(), left, top, width, height, 0, 0, width, height,
                                              UnitPixel, nullptr, nullptr, nullptr));
}

}  // namespace

CTranslucentProgressBar::CTranslucentProgressBar() : CTranslucentWnd(2) {}

bool CTranslucentProgressBar::SetFillImage(WORD id) {
    SetImage(kFill, nullptr);
    SetImage(kFill, LoadPngResource(id));
    return Image(kFill) != nullptr;
}

void CTranslucentProgressBar::SetValueRange(int minimum, int maximum) {
    minimum_ = minimum;
    maximum_ = maximum;
    if (value_ < minimum_) {
        value_ = minimum_;
        RefreshLook();
    } else if (value_ > maximum_) {
        value_ = maximum_;
        RefreshLook();
    }
}

void CTranslucentProgressBar::SetValue(int value) {
    if (value < minimum_ || value > maximum_) return;
    value_ = value;
    RefreshLook();
}

float CTranslucentProgressBar::FillWidth(float controlWidth) const {
    if (maximum_ <= minimum_) return 0.0f;
    // In 64 bits first: the distance between two ints may not fit in one.
    const float done = static_cast<float>(static_cast<int64_t>(value_) - minimum_);
    const float span = static_cast<float>(static_cast<int64_t>(maximum_) - minimum_);
    return std::clamp(controlWidth * done / span, 0.0f, controlWidth);
}

void CTranslucentProgressBar::Draw(GpGraphics* graphics) { DrawAt(graphics, ControlRect()); }

void CTranslucentProgressBar::DrawAt(GpGraphics* graphics, const RectF& rect) const {
    if (const PngImage* background = Image(kBackground))
        DrawUnscaled(graphics, *background, rect.X, rect.Y, rect.Width, rect.Height);
    if (const PngImage* fill = Image(kFill))
        DrawUnscaled(graphics, *fill, rect.X, rect.Y, FillWidth(rect.Width), rect.Height);
    DrawWindowText(graphics, rect);
}
