#include "ui/translucent_button.h"

#include <commctrl.h>
#include <windowsx.h>

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {

// Low byte of the style: the button types that keep a checked state.
bool TogglesOnRelease(LONG_PTR style) {
    switch (style & 0xFF) {
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
            return true;
        default:
            return false;
    }
}

}  // namespace

CTranslucentButton::CTranslucentButton() : CTranslucentWnd(5) {}

bool CTranslucentButton::SetStateImages(const StateImageIds& ids) {
    ClearImages();
    current_ = nullptr;
    if (ids.normal == 0) return false;
    std::unique_ptr<PngImage> normal = LoadPngResource(ids.normal);
    if (!normal) return false;
    SetImage(kNormal, std::move(normal));
    const std::pair<Slot, WORD> others[] = {
        {kHover, ids.hover}, {kPressed, ids.pressed}, {kDisabled, ids.disabled}, {kChecked, ids.checked}};
    for (const auto& [slot, id] : others) {
        if (id != 0) SetImage(slot, LoadPngResource(id));
    }
    current_ = Image(kNormal);
    if (GetSafeHwnd()) {
        ::SetWindowPos(GetSafeHwnd(), nullptr, 0, 0, static_cast<int>(current_->Width()),
                       static_cast<int>(current_->Height()),
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE);
    }
    return true;
}

void CTranslucentButton::RefreshLook() {
    auto slotOrNormal = [this](Slot slot) { return Image(slot) ? Image(slot) : Image(kNormal); };
    PngImage* choice = nullptr;
    if (IsDisabled())
        choice = slotOrNormal(kDisabled);
    else if (hover_)
        choice = slotOrNormal(pressed_ ? kPressed : kHover);
    else if (checked_)
        choice = slotOrNormal(kChecked);
    else
        choice = Image(kNormal);
    if (choice != current_) {
        current_ = choice;
        CTranslucentWnd::RefreshLook();
    }
}

void CTranslucentButton::Draw(GpGraphics* graphics) { DrawAt(graphics, ControlRect()); }

void CTranslucentButton::DrawAt(GpGraphics* graphics, const RectF& rect) const {
    // Without an image the button shows nothing at all, not even its text.
    if (!current_) return;
    current_->DrawStretched(graphics, rect);
    DrawWindowText(graphics, rect);
}

void CTranslucentButton::OnMouseHover() {
    hover_ = true;
    RefreshLook();
}

void CTranslucentButton::OnMouseLeave() {
    hover_ = false;
    trackingArmed_ = false;
    RefreshLook();
}

void CTranslucentButton::OnLButtonDown() {
    pressed_ = true;
    RefreshLook();
}

void CTranslucentButton::OnLButtonUp(bool inside, bool toggles) {
    pressed_ = false;
    if (inside)
        checked_ = toggles ? !checked_ : false;
    else
        hover_ = false;
    RefreshLook();
}

LRESULT CTranslucentButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_MOUSEMOVE:
            if (!trackingArmed_) {
                TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_HOVER | TME_LEAVE, GetSafeHwnd(), 1};
                trackingArmed_ = ::_TrackMouseEvent(&track) != FALSE;
            }
            break;
        case WM_MOUSEHOVER:
            OnMouseHover();
            return 0;
        case WM_MOUSELEAVE:
            OnMouseLeave();
            return 0;
        case WM_LBUTTONDOWN:
            OnLButtonDown();
            break;
        case WM_LBUTTONUP: {
            // The look is brought up to date before the platform tells the parent of the click.
            const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            const RECT client = GetClientRect();
            OnLButtonUp(::PtInRect(&client, point) != FALSE, TogglesOnRelease(GetStyle()));
            break;
        }
        default:
            break;
    }
    return CTranslucentWnd::WindowProc(message, wParam, lParam);
}
