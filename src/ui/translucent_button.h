#pragma once
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

    bool SetStateImages(const StateImageIds& ids);
    void RefreshLook() override;
    void Draw(Gdiplus::GpGraphics* graphics) override;

    PngImage* CurrentImage() const noexcept { return current_; }
    bool IsHover() const noexcept { return hover_; }
    bool IsPressed() const noexcept { return pressed_; }
    bool IsChecked() const noexcept { return checked_; }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    PngImage* current_ = nullptr;
    bool hover_ = false;
    bool pressed_ = false;
    bool checked_ = false;
    bool trackingArmed_ = false;
};
