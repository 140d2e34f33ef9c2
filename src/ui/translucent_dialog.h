#pragma once
// A dialog shown as one per-pixel-alpha layered window: the PNG background with
// the registered controls drawn over it, pushed with UpdateLayeredWindow on
// every change.
#include <memory>
#include <vector>

#include "framework/dialog.h"
#include "ui/standard_dialog.h"
#include "ui/translucent_wnd.h"

class CTranslucentDialog : public fw::CDialog, public IRenderListener {
public:
    CTranslucentDialog(UINT templateId, WORD backgroundId, fw::CWnd* parent);
    ~CTranslucentDialog() override;

    void AddControl(CTranslucentWnd* control);
    bool Recompose();
    void OnControlChanged(CTranslucentWnd* control) override;

    PngImage* Background() const noexcept { return background_.get(); }
    CStandardDialog* Companion() const noexcept { return companion_.get(); }
    const std::vector<CTranslucentWnd*>& Controls() const noexcept { return controls_; }

protected:
    virtual CStandardDialog* MakeCompanionDialog() = 0;
    virtual void OnSetUpControls() {}
    BOOL OnInitDialog() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    bool dragByClientArea_ = true;
    bool centreAtCreation_ = true;

private:
    LRESULT OnCreate(CREATESTRUCTW* create);

    BLENDFUNCTION blend_{};
    std::unique_ptr<PngImage> background_;
    std::unique_ptr<CStandardDialog> companion_;
    std::vector<CTranslucentWnd*> controls_;
};
