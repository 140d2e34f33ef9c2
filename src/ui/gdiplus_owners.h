#pragma once
// Owners for the GDI+ flat-API objects the toolkit makes, on the pattern of
// framework/unique_any.h: each object is released exactly once, by its owner.
#include <windows.h>
#include <gdiplus.h>

#include "framework/unique_any.h"

struct GpImageTraits {
    using Handle = Gdiplus::GpImage*;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { Gdiplus::DllExports::GdipDisposeImage(h); }
};
struct GpGraphicsTraits {
    using Handle = Gdiplus::GpGraphics*;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { Gdiplus::DllExports::GdipDeleteGraphics(h); }
};
struct GpFontTraits {
    using Handle = Gdiplus::GpFont*;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { Gdiplus::DllExports::GdipDeleteFont(h); }
};
struct GpFontFamilyTraits {
    using Handle = Gdiplus::GpFontFamily*;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { Gdiplus::DllExports::GdipDeleteFontFamily(h); }
};
struct GpStringFormatTraits {
    using Handle = Gdiplus::GpStringFormat*;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { Gdiplus::DllExports::GdipDeleteStringFormat(h); }
};
struct GpSolidFillTraits {
    using Handle = Gdiplus::GpSolidFill*;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { Gdiplus::DllExports::GdipDeleteBrush(h); }
};

using UniqueGpImage = fw::UniqueAny<GpImageTraits>;
using UniqueGpGraphics = fw::UniqueAny<GpGraphicsTraits>;
using UniqueGpFont = fw::UniqueAny<GpFontTraits>;
using UniqueGpFontFamily = fw::UniqueAny<GpFontFamilyTraits>;
using UniqueGpStringFormat = fw::UniqueAny<GpStringFormatTraits>;
using UniqueGpSolidFill = fw::UniqueAny<GpSolidFillTraits>;
