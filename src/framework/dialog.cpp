#include "framework/dialog.h"

namespace fw {

HINSTANCE ResourceInstance() { return ::GetModuleHandleW(nullptr); }

INT_PTR CDialog::DoModal() {
    modal_ = true;
    HWND owner = parent_ ? parent_->GetSafeHwnd() : nullptr;
    BeginCreating(this);
    const INT_PTR code = ::DialogBoxParamW(ResourceInstance(), MAKEINTRESOURCEW(templateId_), owner,
                                           &CDialog::DialogProc, 0);
    EndCreating();
    return code;
}

bool CDialog::Create() {
    modal_ = false;
    HWND owner = parent_ ? parent_->GetSafeHwnd() : nullptr;
    BeginCreating(this);
    HWND hwnd = ::CreateDialogParamW(ResourceInstance(), MAKEINTRESOURCEW(templateId_), owner,
                                     &CDialog::DialogProc, 0);
    EndCreating();
    return hwnd != nullptr;
}

void CDialog::EndDialog(INT_PTR code) {
    if (modal_)
        ::EndDialog(GetSafeHwnd(), code);
    else
        ::DestroyWindow(GetSafeHwnd());
}

BOOL CDialog::OnInitDialog() {
    DoDataExchange();
    return TRUE;
}

void CDialog::OnOK() { EndDialog(IDOK); }
void CDialog::OnCancel() { EndDialog(IDCANCEL); }

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog();
        case WM_COMMAND: {
            const WORD id = LOWORD(wParam);
            if (id == IDOK) { OnOK(); return 0; }
            if (id == IDCANCEL) { OnCancel(); return 0; }
            if (OnCommand(id, HIWORD(wParam), reinterpret_cast<HWND>(lParam))) return 0;
            break;
        }
        default:
            break;
    }
    return Default(message, wParam, lParam);
}

}  // namespace fw
