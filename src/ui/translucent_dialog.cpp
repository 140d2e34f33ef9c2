#include "ui/translucent_dialog.h"

CTranslucentDialog::CTranslucentDialog(UINT templateId, WORD backgroundId, fw::CWnd* parent)
    : CDialog(templateId, parent), background_(LoadPngResource(backgroundId)) {}

CTranslucentDialog::~CTranslucentDialog() = default;

void CTranslucentDialog::AddControl(CTranslucentWnd* control) {
    control->SetRenderListener(this);
    controls_.push_back(control);
}

bool CTranslucentDialog::Recompose() { return true; }

void CTranslucentDialog::OnControlChanged(CTranslucentWnd*) { Recompose(); }

BOOL CTranslucentDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    blend_ = BLENDFUNCTION{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    OnSetUpControls();
    Recompose();
    return TRUE;
}

LRESULT CTranslucentDialog::OnCreate(CREATESTRUCTW*) {
    companion_.reset(MakeCompanionDialog());
    if (companion_ && companion_->Create()) ::ShowWindow(companion_->GetSafeHwnd(), SW_SHOW);
    return 0;
}

LRESULT CTranslucentDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) {
        const LRESULT result = Default(message, wParam, lParam);
        if (result == -1) return -1;
        return OnCreate(reinterpret_cast<CREATESTRUCTW*>(lParam));
    }
    return CDialog::WindowProc(message, wParam, lParam);
}
