#pragma once
#include "ui/translucent_wnd.h"

class CTranslucentProgressBar : public CTranslucentWnd {
public:
    CTranslucentProgressBar();

    bool SetFillImage(WORD id);
    void SetValueRange(int minimum, int maximum);
    void SetValue(int value);
    int Minimum() const noexcept { return minimum_; }
    int Maximum() const noexcept { return maximum_; }
    int Value() const noexcept { return value_; }
    void Draw(Gdiplus::GpGraphics* graphics) override;

private:
    int minimum_ = 0;
    int maximum_ = 100;
    int value_ = 0;
};
