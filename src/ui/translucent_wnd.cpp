#include "ui/translucent_wnd.h"

#include <cmath>
#include <utility>

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

TextStyle::TextStyle() {
    GpStringFormat* format = nullptr;
    lastStatus_ = GdipCreateStringFormat(0, LANG_NEUTRAL, &format);
    format_.Reset(format);
    SetAlignment(StringAlignmentCenter, StringAlignmentCenter);
    SetFont(L"Arial", 12.0f, FontStyleRegular, UnitPoint);
    GpSolidFill* brush = nullptr;
    lastStatus_ = GdipCreateSolidFill(0xFF000000, &brush);
    brush_.Reset(brush);
}

void TextStyle::SetFont(const wchar_t* family, float emSize, INT style, Unit unit) {
    font_.Reset();
    ++fontVersion_;
    // The family is only needed to make the font; the font keeps what it needs.
    UniqueGpFontFamily named;
    GpFontFamily* raw = nullptr;
    if (GdipCreateFontFamilyFromName(family, nullptr, &raw) == Ok) named.Reset(raw);

    GpFont* font = nullptr;
    lastStatus_ = named ? GdipCreateFont(named.Get(), emSize, style, unit, &font) : FontFamilyNotFound;
    if (lastStatus_ != Ok) {
        font = nullptr;
        UniqueGpFontFamily generic;
        raw = nullptr;
        if (GdipGetGenericFontFamilySansSerif(&raw) == Ok) generic.Reset(raw);
        lastStatus_ = generic ? GdipCreateFont(generic.Get(), emSize, style, unit, &font) : FontFamilyNotFound;
        if (lastStatus_ != Ok) font = nullptr;
    }
    font_.Reset(font);
}

void TextStyle::SetColor(ARGB color) {
    if (brush_) lastStatus_ = GdipSetSolidFillColor(brush_.Get(), color);
}

void TextStyle::SetAlignment(StringAlignment horizontal, StringAlignment line) {
    if (!format_) return;
    lastStatus_ = GdipSetStringFormatAlign(format_.Get(), horizontal);
    if (lastStatus_ == Ok) lastStatus_ = GdipSetStringFormatLineAlign(format_.Get(), line);
}

TextStyle::RasterKey TextStyle::CurrentKey(const std::wstring& text, INT width, INT height) const {
    RasterKey key;
    key.text = text;
    key.width = width;
    key.height = height;
    key.font = font_.Get();
    key.fontVersion = fontVersion_;
    // Read back from GDI+: the owner may also set them on the brush and format directly.
    if (brush_) GdipGetSolidFillColor(brush_.Get(), &key.color);
    if (format_) {
        GdipGetStringFormatAlign(format_.Get(), &key.align);
        GdipGetStringFormatLineAlign(format_.Get(), &key.lineAlign);
    }
    return key;
}

bool TextStyle::Render(const std::wstring& text, INT width, INT height) const {
    raster_.Reset();
    GpBitmap* bitmap = nullptr;
    lastStatus_ = GdipCreateBitmapFromScan0(width, height, 0, PixelFormat32bppPARGB, nullptr, &bitmap);
    UniqueGpImage owner(bitmap);
    GpGraphics* raw = nullptr;
    if (lastStatus_ == Ok) lastStatus_ = GdipGetImageGraphicsContext(bitmap, &raw);
    if (lastStatus_ != Ok) return false;
    {
        UniqueGpGraphics canvas(raw);
        GdipGraphicsClear(canvas.Get(), 0);
        // Grey-scale smoothing: colour fringes have no meaning on a see-through surface.
        GdipSetTextRenderingHint(canvas.Get(), TextRenderingHintAntiAliasGridFit);
        const RectF layout(0, 0, static_cast<REAL>(width), static_cast<REAL>(height));
        lastStatus_ = GdipDrawString(canvas.Get(), text.c_str(), static_cast<INT>(text.size()), font_.Get(), &layout,
                                     format_.Get(), brush_.Get());
    }
    if (lastStatus_ != Ok) return false;
    raster_ = std::move(owner);
    return true;
}

void TextStyle::DrawText(GpGraphics* graphics, const std::wstring& text, const RectF& layout) const {
    if (text.empty() || !font_ || !graphics) return;
    const INT width = static_cast<INT>(std::ceil(layout.Width));
    const INT height = static_cast<INT>(std::ceil(layout.Height));
    if (width <= 0 || height <= 0) return;  // nothing fits

    RasterKey key = CurrentKey(text, width, height);
    if (!raster_ || !(key == rasterKey_)) {
        if (!Render(text, width, height)) return;
        rasterKey_ = std::move(key);
    }
    lastStatus_ = GdipDrawImageRect(graphics, raster_.Get(), layout.X, layout.Y, static_cast<REAL>(width),
                                    static_cast<REAL>(height));
}

CTranslucentWnd::CTranslucentWnd(size_t imageSlots) : images_(imageSlots) {}

CTranslucentWnd::~CTranslucentWnd() { ClearImages(); }

void CTranslucentWnd::RefreshLook() {
    if (listener_) listener_->OnControlChanged(this);
}

void CTranslucentWnd::OnEnable(BOOL enable) {
    const bool disabled = enable != 1;
    if (disabled != disabled_) {
        disabled_ = disabled;
        RefreshLook();
    }
}

void CTranslucentWnd::ClearImages() {
    for (auto& image : images_) image.reset();
}

RectF CTranslucentWnd::ControlRect() const {
    HWND hwnd = GetSafeHwnd();
    HWND parent = hwnd ? ::GetParent(hwnd) : nullptr;
    if (!parent) return RectF();
    RECT r = GetWindowRect();
    POINT corners[2] = {{r.left, r.top}, {r.right, r.bottom}};
    ::ScreenToClient(parent, &corners[0]);
    ::ScreenToClient(parent, &corners[1]);
    // A right-to-left parent mirrors x: the left edge comes out on the right.
    if (::GetWindowLongPtrW(parent, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) std::swap(corners[0].x, corners[1].x);
    return RectF(static_cast<REAL>(corners[0].x), static_cast<REAL>(corners[0].y),
                 static_cast<REAL>(corners[1].x - corners[0].x), static_cast<REAL>(corners[1].y - corners[0].y));
}

void CTranslucentWnd::PreSubclassWindow() {
    const LONG_PTR style = GetStyle();
    disabled_ = (style & WS_DISABLED) != 0;
    visible_ = (style & WS_VISIBLE) != 0;
}

LRESULT CTranslucentWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ENABLE) {
        const LRESULT result = Default(message, wParam, lParam);
        OnEnable(static_cast<BOOL>(wParam));
        return result;
    }
    return Default(message, wParam, lParam);
}

void CTranslucentWnd::SetImage(size_t slot, std::unique_ptr<PngImage> image) {
    if (slot < images_.size()) images_[slot] = std::move(image);
}

void CTranslucentWnd::DrawWindowText(GpGraphics* graphics, const RectF& layout) const {
    style_.DrawText(graphics, GetWindowText(), layout);
}
