#pragma once
// A dialog shown as one borderless per-pixel-alpha layered window: the PNG
// background with the registered controls drawn over it, composed whole and
// pushed with UpdateLayeredWindow on every change (no WM_PAINT drawing, no
// dirty rectangles). A colour-keyed companion dialog follows it, and the
// window can be dragged by any point that is not a control.
//
// Compositions run on the calling thread and take no lock: every change that
// leads to one must come from the dialog's own thread.
#include <cstdint>
#include <memory>
#include <vector>

#include "framework/dialog.h"
#include "ui/standard_dialog.h"
#include "ui/translucent_wnd.h"

class CTranslucentDialog : public fw::CDialog, public IRenderListener {
public:
    // The background (a PNG resource) sets the window's size.
    CTranslucentDialog(UINT templateId, WORD backgroundId, fw::CWnd* parent);
    ~CTranslucentDialog() override;

    // Registers a control: drawn in registration order from the next
    // composition on, and its look changes recompose the window. The dialog
    // does not own it. Composes nothing by itself.
    void AddControl(CTranslucentWnd* control);
    // Composes the whole window and pushes it. False only when the surface
    // cannot be made (an unusable background reads 0 x 0); the window then
    // keeps its previous picture.
    bool Recompose();
    void OnControlChanged(CTranslucentWnd* control) override;

    PngImage* Background() const noexcept { return background_.get(); }
    CStandardDialog* Companion() const noexcept { return companion_.get(); }
    const std::vector<CTranslucentWnd*>& Controls() const noexcept { return controls_; }

protected:
    // A new companion, constructed but without a window, or null for none.
    // The dialog owns what it returns.
    virtual CStandardDialog* MakeCompanionDialog() = 0;
    // Called once from OnInitDialog just before the first composition.
    virtual void OnSetUpControls() {}
    BOOL OnInitDialog() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    bool dragByClientArea_ = true;
    bool centreAtCreation_ = true;

private:
    LRESULT OnCreate(const CREATESTRUCTW& create, WPARAM wParam, LPARAM lParam);
    // Fills the fresh surface with the background; false when it must be drawn instead.
    bool CopyBackground(void* bits, size_t bytes);

    BLENDFUNCTION blend_{};
    std::unique_ptr<PngImage> background_;
    // The background as the surface's first bytes: premultiplied, bottom-up.
    // Made at the first composition; copying it is what drawing the image
    // over a cleared surface would give, at a fraction of the cost.
    std::vector<uint32_t> backgroundPixels_;
    bool backgroundPixelsTried_ = false;
    std::unique_ptr<CStandardDialog> companion_;
    std::vector<CTranslucentWnd*> controls_;
};
