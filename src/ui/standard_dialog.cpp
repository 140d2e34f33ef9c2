#include "ui/standard_dialog.h"

CStandardDialog::CStandardDialog(UINT templateId, fw::CWnd* parent, COLORREF keyColor)
    : CDialog(templateId, parent), keyColor_(keyColor) {}

BOOL CStandardDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    keyBrush_.Reset(::CreateSolidBrush(keyColor_));
    return TRUE;
}

void CStandardDialog::OnOK() {
    if (Parent()) ::SendMessageW(Parent()->GetSafeHwnd(), WM_CLOSE, 0, 0);
    CDialog::OnOK();
}

void CStandardDialog::OnCancel() {
    if (Parent()) ::SendMessageW(Parent()->GetSafeHwnd(), WM_CLOSE, 0, 0);
    CDialog::OnCancel();
}

LRESULT CStandardDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return CDialog::WindowProc(message, wParam, lParam);
}
