#include "ui/standard_dialog.h"

namespace {

using SetLayeredWindowAttributesFn = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);

}  // namespace

CStandardDialog::CStandardDialog(UINT templateId, fw::CWnd* parent, COLORREF keyColor)
    : CDialog(templateId, parent), keyColor_(keyColor) {}

CStandardDialog::~CStandardDialog() {
    // The window goes with the object; normally it has already gone with its owner.
    if (GetSafeHwnd()) ::DestroyWindow(GetSafeHwnd());
}

BOOL CStandardDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    keyBrush_.Reset(::CreateSolidBrush(keyColor_));
    HWND hwnd = GetSafeHwnd();
    ::SetWindowLongPtrW(hwnd, GWL_EXSTYLE, GetExStyle() | WS_EX_LAYERED);
    // Without the function the companion stays an opaque window of the key colour.
    fw::UniqueModule user32(::LoadLibraryW(L"User32.DLL"));
    if (user32) {
        auto setAttributes = reinterpret_cast<SetLayeredWindowAttributesFn>(
            ::GetProcAddress(user32.Get(), "SetLayeredWindowAttributes"));
        if (setAttributes) setAttributes(hwnd, keyColor_, 0, LWA_COLORKEY);
    }
    return TRUE;
}

void CStandardDialog::OnOK() {
    if (Parent() && Parent()->GetSafeHwnd()) ::SendMessageW(Parent()->GetSafeHwnd(), WM_CLOSE, 0, 0);
    CDialog::OnOK();
}

void CStandardDialog::OnCancel() {
    if (Parent() && Parent()->GetSafeHwnd()) ::SendMessageW(Parent()->GetSafeHwnd(), WM_CLOSE, 0, 0);
    CDialog::OnCancel();
}

LRESULT CStandardDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CTLCOLORDLG:
            // The whole background in the key colour: it disappears.
            if (keyBrush_) return reinterpret_cast<LRESULT>(keyBrush_.Get());
            break;
        case WM_KEYDOWN:
            // The companion is a modeless dialog beside a modal one: the modal
            // loop runs the dialog keys of its own dialog only, so Enter and
            // Escape pressed while the companion itself has the focus (it does
            // after every move of the translucent dialog) arrive here as keys.
            if (wParam == VK_RETURN) {
                OnOK();
                return 0;
            }
            if (wParam == VK_ESCAPE) {
                OnCancel();
                return 0;
            }
            break;
        default:
            break;
    }
    return CDialog::WindowProc(message, wParam, lParam);
}
