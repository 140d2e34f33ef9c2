#pragma once
// Base of the skinned controls. A control is a real child window (subclassed
// from the dialog template) that keeps its rectangle, text, style and mouse
// input but never paints itself: the translucent dialog asks it to Draw into
// the composition surface, and the control asks for a composition through its
// IRenderListener whenever its look may have changed.
//
// Nothing here takes a lock: every call that changes a registered control
// must run on the dialog's thread (pipeline threads go through the owner's
// marshalling setters), so a change and the composition it causes never
// overlap another composition.
#include <windows.h>
#include <gdiplus.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/window.h"
#include "ui/gdiplus_owners.h"
#include "ui/png_image.h"

class CTranslucentWnd;

class IRenderListener {
public:
    virtual ~IRenderListener() = default;
    // A registered control's look may have changed.
    virtual void OnControlChanged(CTranslucentWnd* control) = 0;
};

// Font, string format and brush of a control's window text. Defaults: centred
// both ways, "Arial" 12 point regular, opaque black.
class TextStyle {
public:
    TextStyle();
    TextStyle(const TextStyle&) = delete;
    TextStyle& operator=(const TextStyle&) = delete;

    // Replaces the font. A family that cannot be found (or cannot make that
    // font) gives way to the generic sans-serif family; when even that fails
    // there is no font and no text is drawn.
    void SetFont(const wchar_t* family, float emSize, INT style, Gdiplus::Unit unit);
    void SetColor(Gdiplus::ARGB color);
    void SetAlignment(Gdiplus::StringAlignment horizontal, Gdiplus::StringAlignment line);

    Gdiplus::GpFont* Font() const noexcept { return font_.Get(); }
    Gdiplus::GpStringFormat* Format() const noexcept { return format_.Get(); }
    Gdiplus::GpSolidFill* Brush() const noexcept { return brush_.Get(); }
    Gdiplus::GpStatus LastStatus() const noexcept { return lastStatus_; }

    // Draws `text` in `layout` (nothing for an empty text or without a font),
    // wrapped and clipped to it. The text last drawn is kept as pixels and
    // drawn again as they are while text, layout size, font, colour and
    // alignment stay the same: most compositions change something else.
    void DrawText(Gdiplus::GpGraphics* graphics, const std::wstring& text, const Gdiplus::RectF& layout) const;

private:
    // Renders the text into raster_ at (0, 0, width, height); false when GDI+ cannot.
    bool Render(const std::wstring& text, INT width, INT height) const;
    // What raster_ shows; any difference means it must be rendered again.
    struct RasterKey {
        std::wstring text;
        INT width = 0;
        INT height = 0;
        Gdiplus::GpFont* font = nullptr;
        unsigned fontVersion = 0;
        Gdiplus::ARGB color = 0;
        Gdiplus::StringAlignment align = Gdiplus::StringAlignmentNear;
        Gdiplus::StringAlignment lineAlign = Gdiplus::StringAlignmentNear;
        bool operator==(const RasterKey& o) const {
            return text == o.text && width == o.width && height == o.height && font == o.font &&
                   fontVersion == o.fontVersion && color == o.color && align == o.align && lineAlign == o.lineAlign;
        }
    };
    RasterKey CurrentKey(const std::wstring& text, INT width, INT height) const;

    UniqueGpStringFormat format_;
    UniqueGpFont font_;
    UniqueGpSolidFill brush_;
    unsigned fontVersion_ = 0;
    mutable Gdiplus::GpStatus lastStatus_ = Gdiplus::Ok;
    mutable UniqueGpImage raster_;
    mutable RasterKey rasterKey_;
};

class CTranslucentWnd : public fw::CWnd {
public:
    explicit CTranslucentWnd(size_t imageSlots);
    ~CTranslucentWnd() override;

    // Draws the control into the composition surface behind `graphics`.
    virtual void Draw(Gdiplus::GpGraphics* graphics) = 0;
    // Recomputes the look and asks the listener, if any, for a composition.
    virtual void RefreshLook();

    // WM_ENABLE, also called directly by owners to switch only the look:
    // exactly 1 means enabled, any other value disabled. Refreshes the look
    // only when the disabled flag changes.
    void OnEnable(BOOL enable);
    // Releases every image; the number of slots stays.
    void ClearImages();

    void SetRenderListener(IRenderListener* listener) noexcept { listener_ = listener; }
    IRenderListener* RenderListener() const noexcept { return listener_; }
    bool IsDisabled() const noexcept { return disabled_; }
    // Read once from the window's style when it is subclassed; no later
    // show or hide changes it.
    bool IsVisible() const noexcept { return visible_; }
    size_t ImageSlotCount() const noexcept { return images_.size(); }
    PngImage* Image(size_t slot) const noexcept { return slot < images_.size() ? images_[slot].get() : nullptr; }

    TextStyle& Style() noexcept { return style_; }
    const TextStyle& Style() const noexcept { return style_; }

    // The window rectangle in the parent's client coordinates, which are the
    // composition surface's. Empty while the control has no window.
    Gdiplus::RectF ControlRect() const;

protected:
    void PreSubclassWindow() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void SetImage(size_t slot, std::unique_ptr<PngImage> image);
    // The window text in the control's style, laid out in `layout`.
    void DrawWindowText(Gdiplus::GpGraphics* graphics, const Gdiplus::RectF& layout) const;

private:
    std::vector<std::unique_ptr<PngImage>> images_;
    IRenderListener* listener_ = nullptr;
    bool disabled_ = false;
    bool visible_ = true;
    TextStyle style_;
};
