#include "ui/translucent_button.h"

CTranslucentButton::CTranslucentButton() : CTranslucentWnd(5) {}

bool CTranslucentButton::SetStateImages(const StateImageIds& ids) {
    ClearImages();
    current_ = nullptr;
    if (ids.normal == 0) return false;
    SetImage(kNormal, LoadPngResource(ids.normal));
    current_ = Image(kNormal);
    return current_ != nullptr;
}

void CTranslucentButton::RefreshLook() {
    PngImage* choice = Image(kNormal);
    if (IsDisabled() && Image(kDisabled)) choice = Image(kDisabled);
    if (choice != current_) {
        current_ = choice;
        CTranslucentWnd::RefreshLook();
    }
}

void CTranslucentButton::Draw(Gdiplus::GpGraphics*) {}

LRESULT CTranslucentButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return CTranslucentWnd::WindowProc(message, wParam, lParam);
}
