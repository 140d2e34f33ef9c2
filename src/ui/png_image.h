#pragma once
// A GDI+ image decoded from a "PNG" resource of the executable.
#include <windows.h>
#include <gdiplus.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "framework/unique_any.h"
#include "ui/gdiplus_owners.h"

class PngImage {
public:
    PngImage() = default;
    PngImage(const PngImage&) = delete;
    PngImage& operator=(const PngImage&) = delete;

    // Null when nothing decoded; drawing calls then draw nothing.
    Gdiplus::GpImage* Get() const noexcept { return image_.Get(); }
    UINT Width() const;  // 0 when nothing decoded
    UINT Height() const;
    Gdiplus::GpStatus LastStatus() const noexcept { return lastStatus_; }
    void SetLastStatus(Gdiplus::GpStatus status) const noexcept { lastStatus_ = status; }

    // The pixels as premultiplied 32-bit BGRA rows, bottom row first (the
    // layout of a bottom-up 32-bit DIB section). Empty when nothing decoded.
    std::vector<uint32_t> PremultipliedBottomUp() const;

    // Draws the whole image stretched to `rect`. The image scaled to the last
    // whole-pixel size asked for is kept, so that a button drawn at the same
    // size in every composition is scaled once, not every time.
    void DrawStretched(Gdiplus::GpGraphics* graphics, const Gdiplus::RectF& rect) const;

private:
    friend std::unique_ptr<PngImage> LoadPngResource(WORD id);
    UniqueGpImage image_;
    // The PNG bytes, kept while the image may still read them through its stream.
    fw::UniqueGlobal block_;
    mutable Gdiplus::GpStatus lastStatus_ = Gdiplus::Ok;
    mutable UniqueGpImage scaled_;
    mutable INT scaledWidth_ = 0;
    mutable INT scaledHeight_ = 0;
};

// The resource `id` of type "PNG" from the module that holds the program's
// resources. Never fails for a missing or undecodable resource: the image then
// reads 0 x 0 and draws nothing (its LastStatus tells why). Null only when the
// object itself cannot be allocated.
//
// The image is decoded once, here, into premultiplied 32-bit pixels: every
// composition draws it again, and that format is the one GDI+ blends fastest.
std::unique_ptr<PngImage> LoadPngResource(WORD id);
