#pragma once
// Base of the skinned controls. A control is a real child window (subclassed
// from the dialog template) that never paints itself: the translucent dialog
// asks it to Draw into the composition surface.
#include <windows.h>
#include <gdiplus.h>
#include <memory>
#include <vector>

#include "framework/window.h"
#include "ui/png_image.h"

class CTranslucentWnd;

class IRenderListener {
public:
    virtual ~IRenderListener() = default;
    virtual void OnControlChanged(CTranslucentWnd* control) = 0;
};

// Font, string format and brush of a control's window text.
class TextStyle {
public:
    TextStyle();
    ~TextStyle();
    TextStyle(const TextStyle&) = delete;
    TextStyle& operator=(const TextStyle&) = delete;

    // Replaces the font; falls back to the generic sans-serif family.
    void SetFont(const wchar_t* family, float emSize, INT style, Gdiplus::Unit unit);
    void SetColor(Gdiplus::ARGB color);
    void SetAlignment(Gdiplus::StringAlignment horizontal, Gdiplus::StringAlignment line);
    Gdiplus::GpFont* Font() const noexcept { return font_; }
    Gdiplus::GpStringFormat* Format() const noexcept { return format_; }
    Gdiplus::GpSolidFill* Brush() const noexcept { return brush_; }

private:
    Gdiplus::GpFont* font_ = nullptr;
    Gdiplus::GpStringFormat* format_ = nullptr;
    Gdiplus::GpSolidFill* brush_ = nullptr;
};

class CTranslucentWnd : public fw::CWnd {
public:
    explicit CTranslucentWnd(size_t imageSlots);
    ~CTranslucentWnd() override;

    virtual void Draw(Gdiplus::GpGraphics* graphics) = 0;
    virtual void RefreshLook();

    // Switches the look between enabled (exactly 1) and disabled (anything
    // else). Also called directly by owners to change only the look.
    void OnEnable(BOOL enable);
    void ClearImages();

    void SetRenderListener(IRenderListener* listener) noexcept { listener_ = listener; }
    IRenderListener* RenderListener() const noexcept { return listener_; }
    bool IsDisabled() const noexcept { return disabled_; }
    bool IsVisible() const noexcept { return visible_; }
    size_t ImageSlotCount() const noexcept { return images_.size(); }
    PngImage* Image(size_t slot) const noexcept { return slot < images_.size() ? images_[slot].get() : nullptr; }

    TextStyle& Style() noexcept { return style_; }

    // The window rectangle in the parent's client (= surface) coordinates.
    Gdiplus::RectF ControlRect() const;

protected:
    void PreSubclassWindow() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void SetImage(size_t slot, std::unique_ptr<PngImage> image);
    void DrawWindowText(Gdiplus::GpGraphics* graphics);

private:
    std::vector<std::unique_ptr<PngImage>> images_;
    IRenderListener* listener_ = nullptr;
    bool disabled_ = false;
    bool visible_ = true;
    TextStyle style_;
};
