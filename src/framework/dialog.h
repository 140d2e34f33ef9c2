#pragma once
// A dialog made from a template in the executable's resources, run modally or
// created modelessly. The window is bound to the object from its creation on,
// so WM_CREATE and WM_INITDIALOG both reach WindowProc.
#include "framework/window.h"

namespace fw {

class CDialog : public CWnd {
public:
    CDialog(UINT templateId, CWnd* parent) : templateId_(templateId), parent_(parent) {}

    INT_PTR DoModal();      // the end code given to EndDialog, -1 when the dialog could not be made
    bool Create();          // modeless, from the dialog's own template with its own parent
    void EndDialog(INT_PTR code);

    UINT TemplateId() const noexcept { return templateId_; }
    CWnd* Parent() const noexcept { return parent_; }

protected:
    // Binds the template's controls to their objects (BindControl).
    virtual void DoDataExchange() {}
    // The base version runs DoDataExchange. The result is WM_INITDIALOG's.
    virtual BOOL OnInitDialog();
    virtual void OnOK();      // Enter / IDOK: ends the dialog with IDOK
    virtual void OnCancel();  // Escape / IDCANCEL / WM_CLOSE: ends it with IDCANCEL
    // WM_COMMAND other than IDOK and IDCANCEL; true when handled.
    virtual bool OnCommand(WORD id, WORD code, HWND control) { return false; }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void BindControl(int id, CWnd& control) { control.SubclassDlgItem(id, this); }

private:
    static INT_PTR CALLBACK DialogProc(HWND, UINT, WPARAM, LPARAM) noexcept { return FALSE; }

    UINT templateId_;
    CWnd* parent_;
    bool modal_ = false;
};

HINSTANCE ResourceInstance();

}  // namespace fw
