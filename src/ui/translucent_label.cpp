#include "ui/translucent_label.h"

CTranslucentLabel::CTranslucentLabel() : CTranslucentWnd(5) {}

void CTranslucentLabel::SetTextSize(float pixels) {
    Style().SetFont(L"黑体", pixels, Gdiplus::FontStyleBold, Gdiplus::UnitPixel);
}

void CTranslucentLabel::SetText(const std::wstring& text) {
    SetWindowText(text);
    RefreshLook();
}

void CTranslucentLabel::Draw(Gdiplus::GpGraphics* graphics) { DrawAt(graphics, ControlRect()); }

void CTranslucentLabel::DrawAt(Gdiplus::GpGraphics* graphics, const Gdiplus::RectF& rect) const {
    DrawWindowText(graphics, rect);
}
