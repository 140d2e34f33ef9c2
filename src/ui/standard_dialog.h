#pragma once
// The colour-keyed companion kept over a translucent dialog: ordinary
// controls show on it, pixels in the key colour vanish and let clicks through
// to the translucent window below. Enter and Escape on it close its parent.
#include "framework/dialog.h"
#include "framework/unique_any.h"

class CStandardDialog : public fw::CDialog {
public:
    CStandardDialog(UINT templateId, fw::CWnd* parent, COLORREF keyColor);
    ~CStandardDialog() override;
    COLORREF KeyColor() const noexcept { return keyColor_; }

protected:
    BOOL OnInitDialog() override;
    // Both send WM_CLOSE to the parent, if any, then end this dialog.
    void OnOK() override;
    void OnCancel() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    COLORREF keyColor_;
    fw::UniqueGdiObject keyBrush_;
};
