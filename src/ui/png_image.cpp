#include "ui/png_image.h"

// Placeholder until the toolkit's drawing lands: images decode to nothing.
PngImage::~PngImage() {
    if (image_) Gdiplus::DllExports::GdipDisposeImage(image_);
    if (block_) ::GlobalFree(block_);
}

UINT PngImage::Width() const {
    UINT w = 0;
    if (image_) Gdiplus::DllExports::GdipGetImageWidth(image_, &w);
    return w;
}

UINT PngImage::Height() const {
    UINT h = 0;
    if (image_) Gdiplus::DllExports::GdipGetImageHeight(image_, &h);
    return h;
}

std::unique_ptr<PngImage> LoadPngResource(WORD) { return std::unique_ptr<PngImage>(new PngImage()); }
