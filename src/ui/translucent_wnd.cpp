#include "ui/translucent_wnd.h"

TextStyle::TextStyle() {}
TextStyle::~TextStyle() {}
void TextStyle::SetFont(const wchar_t*, float, INT, Gdiplus::Unit) {}
void TextStyle::SetColor(Gdiplus::ARGB) {}
void TextStyle::SetAlignment(Gdiplus::StringAlignment, Gdiplus::StringAlignment) {}

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

Gdiplus::RectF CTranslucentWnd::ControlRect() const { return Gdiplus::RectF(); }

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

void CTranslucentWnd::DrawWindowText(Gdiplus::GpGraphics*) {}
