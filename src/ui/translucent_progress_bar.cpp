#include "ui/translucent_progress_bar.h"

CTranslucentProgressBar::CTranslucentProgressBar() : CTranslucentWnd(2) {}

bool CTranslucentProgressBar::SetFillImage(WORD id) {
    SetImage(1, LoadPngResource(id));
    return Image(1) != nullptr;
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

void CTranslucentProgressBar::Draw(Gdiplus::GpGraphics*) {}
