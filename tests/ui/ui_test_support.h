#pragma once
// Shared by the toolkit's tests: GDI+ for the whole test program, a listener
// that counts compositions, and an off-screen canvas to draw controls into.
#include <windows.h>
#include <gdiplus.h>

#include <vector>

#include "ui/translucent_wnd.h"

// Counts the compositions a control asks for.
class CountingListener : public IRenderListener {
public:
    void OnControlChanged(CTranslucentWnd* control) override {
        ++calls;
        last = control;
    }
    int calls = 0;
    CTranslucentWnd* last = nullptr;
};

// A premultiplied 32-bit GDI+ bitmap, fully transparent at first.
class Canvas {
public:
    Canvas(int width, int height);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    Gdiplus::GpGraphics* Graphics() const noexcept { return graphics_; }
    // Straight (not premultiplied) ARGB of one pixel, after flushing the drawing.
    Gdiplus::ARGB Pixel(int x, int y) const;
    static BYTE Alpha(Gdiplus::ARGB c) { return static_cast<BYTE>(c >> 24); }
    static BYTE Red(Gdiplus::ARGB c) { return static_cast<BYTE>(c >> 16); }
    static BYTE Green(Gdiplus::ARGB c) { return static_cast<BYTE>(c >> 8); }
    static BYTE Blue(Gdiplus::ARGB c) { return static_cast<BYTE>(c); }
    // Whether any pixel in [x0, x1) x [y0, y1) is not fully transparent.
    bool AnyInked(int x0, int y0, int x1, int y1) const;

private:
    Gdiplus::GpBitmap* bitmap_ = nullptr;
    Gdiplus::GpGraphics* graphics_ = nullptr;
};
