#pragma once
// A value within a range, shown as the left part of a fill image revealed at
// the image's own scale (never stretched), over an optional background image.
#include "ui/translucent_wnd.h"

class CTranslucentProgressBar : public CTranslucentWnd {
public:
    enum Slot { kBackground = 0, kFill = 1 };

    CTranslucentProgressBar();

    // Replaces the fill image; false when no image object could be had.
    // Notifies nobody.
    bool SetFillImage(WORD id);
    // Stores the range and pulls the value into it; refreshes the look only
    // when the value had to move.
    void SetValueRange(int minimum, int maximum);
    // A value inside the range is stored and refreshes the look, also when it
    // is the current one; a value outside is ignored.
    void SetValue(int value);
    int Minimum() const noexcept { return minimum_; }
    int Maximum() const noexcept { return maximum_; }
    int Value() const noexcept { return value_; }

    void Draw(Gdiplus::GpGraphics* graphics) override;
    void DrawAt(Gdiplus::GpGraphics* graphics, const Gdiplus::RectF& rect) const;
    // Width of the revealed fill in a control `controlWidth` wide, before the
    // image's own width limits it. 0 for an empty range (minimum = maximum).
    float FillWidth(float controlWidth) const;

private:
    int minimum_ = 0;
    int maximum_ = 100;
    int value_ = 0;
};
