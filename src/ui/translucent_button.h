#pragma once
// A push button drawn from one PNG image per look. The platform's button
// underneath still does the clicking (capture on press, BN_CLICKED to the
// parent on release inside); this class tracks hover, pressed, checked and
// disabled and picks the image.
#include "ui/translucent_wnd.h"

// PNG resource ids of a button's looks; 0: the state has no image of its own.
struct StateImageIds {
    WORD normal;
    WORD disabled;
    WORD hover;
    WORD pressed;
    WORD checked;
};

class CTranslucentButton : public CTranslucentWnd {
public:
    enum Slot { kNormal = 0, kDisabled = 1, kHover = 2, kPressed = 3, kChecked = 4 };

    CTranslucentButton();

    // Releases the previous images, loads the new ones and sizes the button's
    // window to the normal image, keeping its top-left corner. False, with
    // every slot empty and no current image, when the normal id is 0 or its
    // image cannot be allocated. Notifies nobody: owners call it before
    // registering the button.
    bool SetStateImages(const StateImageIds& ids);

    // Chooses the image by precedence: disabled, then hover (pressed or not),
    // then checked, then normal; an empty slot falls back to the normal image.
    // Notifies the listener only when the choice changes.
    void RefreshLook() override;
    void Draw(Gdiplus::GpGraphics* graphics) override;
    // Draw at an explicit rectangle: the current image stretched to it, then the text.
    void DrawAt(Gdiplus::GpGraphics* graphics, const Gdiplus::RectF& rect) const;

    PngImage* CurrentImage() const noexcept { return current_; }
    bool IsHover() const noexcept { return hover_; }
    bool IsPressed() const noexcept { return pressed_; }
    bool IsChecked() const noexcept { return checked_; }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // The state changes of the mouse messages, apart from the window work.
    void OnMouseHover();
    void OnMouseLeave();
    void OnLButtonDown();
    // `inside`: released over the button; `toggles`: a check-box or radio style.
    void OnLButtonUp(bool inside, bool toggles);

private:
    PngImage* current_ = nullptr;
    bool hover_ = false;
    bool pressed_ = false;
    bool checked_ = false;
    bool trackingArmed_ = false;
};
