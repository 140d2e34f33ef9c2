#include "ui/translucent_wnd.h"

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

void TextStyle::DrawText(GpGraphics* graphics, const std::wstring& text, const RectF& layout) const {
    if (text.empty() || !font_ || !graphics) return;
    lastStatus_ = GdipDrawString(graphics, text.c_str(), static_cast<INT>(text.size()), font_.Get(), &layout,
                                 format_.Get(), brush_.Get());
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
