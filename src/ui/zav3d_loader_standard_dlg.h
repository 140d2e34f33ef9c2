#pragma once
#include "ui/standard_dialog.h"

// The loader's own companion: template 130, no controls, wholly see-through.
class CZav3DLoaderStandardDlg : public CStandardDialog {
public:
    CZav3DLoaderStandardDlg(UINT templateId, fw::CWnd* parent, COLORREF keyColor)
        : CStandardDialog(templateId, parent, keyColor) {}

protected:
    BOOL OnInitDialog() override {
        CStandardDialog::OnInitDialog();
        return TRUE;
    }
};
