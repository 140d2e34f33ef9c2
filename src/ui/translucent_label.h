#pragma once
#include <string>

#include "ui/translucent_wnd.h"

class CTranslucentLabel : public CTranslucentWnd {
public:
    CTranslucentLabel();

    // "黑体" bold at the given size in pixels.
    void SetTextSize(float pixels);
    // Sets the window text and recomposes.
    void SetText(const std::wstring& text);
    void Draw(Gdiplus::GpGraphics* graphics) override;
};
