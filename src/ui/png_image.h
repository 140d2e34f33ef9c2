#pragma once
// A GDI+ image decoded from a "PNG" resource of the executable. The image owns
// the memory block that holds the PNG bytes: GDI+ may read it while the image lives.
#include <windows.h>
#include <gdiplus.h>
#include <memory>

class PngImage {
public:
    PngImage() = default;
    ~PngImage();
    PngImage(const PngImage&) = delete;
    PngImage& operator=(const PngImage&) = delete;

    Gdiplus::GpImage* Get() const noexcept { return image_; }
    UINT Width() const;   // 0 when nothing decoded
    UINT Height() const;
    Gdiplus::GpStatus LastStatus() const noexcept { return lastStatus_; }
    void SetLastStatus(Gdiplus::GpStatus status) const noexcept { lastStatus_ = status; }

private:
    friend std::unique_ptr<PngImage> LoadPngResource(WORD id);
    Gdiplus::GpImage* image_ = nullptr;
    HGLOBAL block_ = nullptr;
    mutable Gdiplus::GpStatus lastStatus_ = Gdiplus::Ok;
};

// Never fails for a missing or undecodable resource: the image then reads 0 x 0
// and draws nothing. Null only when the object itself cannot be allocated.
std::unique_ptr<PngImage> LoadPngResource(WORD id);
