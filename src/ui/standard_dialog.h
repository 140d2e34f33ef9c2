#pragma once
// The colour-keyed companion kept over a translucent dialog: ordinary
// controls show on it, pixels in the key colour vanish and let clicks through.
#include "framework/dialog.h"
#include "framework/unique_any.h"

class CStandardDialog : public fw::CDialog {
public:
    CStandardDialog(UINT templateId, fw::CWnd* parent, COLORREF keyColor);
    COLORREF KeyColor() const noexcept { return keyColor_; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    COLORREF keyColor_;
    fw::UniqueGdiObject keyBrush_;
};
