#include "ui/png_image.h"

#include <objidl.h>

#include <cstring>
#include <new>

#include "framework/dialog.h"

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {

// A decoded image converted to premultiplied pixels, or null when GDI+ could
// not convert it (the caller then keeps the decoded image as it is).
GpImage* ToPremultiplied(GpImage* decoded, GpStatus& status) {
    UINT w = 0, h = 0;
    GdipGetImageWidth(decoded, &w);
    GdipGetImageHeight(decoded, &h);
    GpBitmap* converted = nullptr;
    status = GdipCloneBitmapAreaI(0, 0, static_cast<INT>(w), static_cast<INT>(h), PixelFormat32bppPARGB,
                                  static_cast<GpBitmap*>(decoded), &converted);
    return status == Ok ? converted : nullptr;
}

}  // namespace

UINT PngImage::Width() const {
    UINT w = 0;
    if (image_) lastStatus_ = GdipGetImageWidth(image_.Get(), &w);
    return w;
}

UINT PngImage::Height() const {
    UINT h = 0;
    if (image_) lastStatus_ = GdipGetImageHeight(image_.Get(), &h);
    return h;
}

std::vector<uint32_t> PngImage::PremultipliedBottomUp() const {
    const UINT w = Width();
    const UINT h = Height();
    std::vector<uint32_t> pixels;
    if (w == 0 || h == 0) return pixels;

    const Rect all(0, 0, static_cast<INT>(w), static_cast<INT>(h));
    BitmapData data{};
    lastStatus_ = GdipBitmapLockBits(static_cast<GpBitmap*>(image_.Get()), &all, ImageLockModeRead,
                                     PixelFormat32bppPARGB, &data);
    if (lastStatus_ != Ok) return pixels;
    pixels.resize(static_cast<size_t>(w) * h);
    const auto* source = static_cast<const unsigned char*>(data.Scan0);
    for (UINT row = 0; row < h; ++row) {
        std::memcpy(&pixels[static_cast<size_t>(h - 1 - row) * w], source + static_cast<ptrdiff_t>(row) * data.Stride,
                    static_cast<size_t>(w) * 4);
    }
    GdipBitmapUnlockBits(static_cast<GpBitmap*>(image_.Get()), &data);
    return pixels;
}

void PngImage::DrawStretched(GpGraphics* graphics, const RectF& rect) const {
    if (!image_ || !graphics) return;
    const INT w = static_cast<INT>(rect.Width);
    const INT h = static_cast<INT>(rect.Height);
    const bool wholePixels = w > 0 && h > 0 && static_cast<REAL>(w) == rect.Width && static_cast<REAL>(h) == rect.Height;
    if (!wholePixels || (static_cast<UINT>(w) == Width() && static_cast<UINT>(h) == Height())) {
        lastStatus_ = GdipDrawImageRect(graphics, image_.Get(), rect.X, rect.Y, rect.Width, rect.Height);
        return;
    }
    if (!scaled_ || scaledWidth_ != w || scaledHeight_ != h) {
        scaled_.Reset();
        GpBitmap* bitmap = nullptr;
        lastStatus_ = GdipCreateBitmapFromScan0(w, h, 0, PixelFormat32bppPARGB, nullptr, &bitmap);
        UniqueGpImage owner(bitmap);
        GpGraphics* canvas = nullptr;
        if (lastStatus_ == Ok) lastStatus_ = GdipGetImageGraphicsContext(bitmap, &canvas);
        if (lastStatus_ == Ok) {
            UniqueGpGraphics canvasOwner(canvas);
            GdipGraphicsClear(canvas, 0);
            lastStatus_ = GdipDrawImageRectI(canvas, image_.Get(), 0, 0, w, h);
        }
        if (lastStatus_ != Ok) {
            lastStatus_ = GdipDrawImageRect(graphics, image_.Get(), rect.X, rect.Y, rect.Width, rect.Height);
            return;
        }
        scaled_ = std::move(owner);
        scaledWidth_ = w;
        scaledHeight_ = h;
    }
    lastStatus_ = GdipDrawImageRect(graphics, scaled_.Get(), rect.X, rect.Y, rect.Width, rect.Height);
}

std::unique_ptr<PngImage> LoadPngResource(WORD id) {
    std::unique_ptr<PngImage> image(new (std::nothrow) PngImage());
    if (!image) return image;

    // A resource that is missing or empty leaves the image empty: 0 x 0, drawing nothing.
    HMODULE module = fw::ResourceInstance();
    HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(id), L"PNG");
    const DWORD size = resource ? ::SizeofResource(module, resource) : 0;
    HGLOBAL loaded = resource ? ::LoadResource(module, resource) : nullptr;
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    if (!bytes || size == 0) {
        image->lastStatus_ = InvalidParameter;
        return image;
    }

    fw::UniqueGlobal block(::GlobalAlloc(GMEM_FIXED, size));
    void* copy = block ? ::GlobalLock(block.Get()) : nullptr;
    if (!copy) {
        image->lastStatus_ = OutOfMemory;
        return image;
    }
    std::memcpy(copy, bytes, size);

    GpImage* decoded = nullptr;
    {
        // The stream must not free the block: the image owns it.
        fw::ComPtr<IStream> stream;
        if (SUCCEEDED(::CreateStreamOnHGlobal(block.Get(), FALSE, stream.Put())))
            image->lastStatus_ = GdipLoadImageFromStream(stream.Get(), &decoded);
        else
            image->lastStatus_ = Win32Error;
    }
    ::GlobalUnlock(block.Get());
    if (image->lastStatus_ != Ok || !decoded) return image;

    GpStatus converted = Ok;
    if (GpImage* premultiplied = ToPremultiplied(decoded, converted)) {
        // The copy holds its own pixels: the decoder's image and the bytes can go.
        GdipDisposeImage(decoded);
        image->image_.Reset(premultiplied);
    } else {
        image->image_.Reset(decoded);
        image->block_ = std::move(block);
    }
    return image;
}
