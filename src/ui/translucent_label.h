#pragma once
// A line of text drawn with GDI+ on the translucent dialog's surface, wrapped
// inside the label's rectangle by its string format.
#include <string>

#include "ui/translucent_wnd.h"

class CTranslucentLabel : public CTranslucentWnd {
public:
    CTranslucentLabel();

    // "黑体" bold at the given size in pixels. Notifies nobody.
    void SetTextSize(float pixels);
    // Sets the window text and refreshes the look, so a registered label's
    // dialog composes again, even when the text did not change.
    void SetText(const std::wstring& text);
    void Draw(Gdiplus::GpGraphics* graphics) override;
    void DrawAt(Gdiplus::GpGraphics* graphics, const Gdiplus::RectF& rect) const;
};
