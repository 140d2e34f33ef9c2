#include "ui/translucent_dialog.h"

#include <windowsx.h>

#include <cstring>

#include "framework/unique_any.h"
#include "ui/gdiplus_owners.h"

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {

using UpdateLayeredWindowFn = BOOL(WINAPI*)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF, BLENDFUNCTION*, DWORD);

// Looked up by name once; User32.DLL stays loaded for the life of the process anyway.
UpdateLayeredWindowFn UpdateLayeredWindowFunction() {
    static const UpdateLayeredWindowFn function = [] {
        HMODULE user32 = ::LoadLibraryW(L"User32.DLL");
        return user32 ? reinterpret_cast<UpdateLayeredWindowFn>(::GetProcAddress(user32, "UpdateLayeredWindow"))
                      : nullptr;
    }();
    return function;
}

}  // namespace

CTranslucentDialog::CTranslucentDialog(UINT templateId, WORD backgroundId, fw::CWnd* parent)
    : CDialog(templateId, parent), background_(LoadPngResource(backgroundId)) {}

CTranslucentDialog::~CTranslucentDialog() { companion_.reset(); }

void CTranslucentDialog::AddControl(CTranslucentWnd* control) {
    control->SetRenderListener(this);
    controls_.push_back(control);
}

void CTranslucentDialog::OnControlChanged(CTranslucentWnd*) { Recompose(); }

BOOL CTranslucentDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    blend_ = BLENDFUNCTION{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    OnSetUpControls();
    Recompose();
    return TRUE;
}

bool CTranslucentDialog::CopyBackground(void* bits, size_t bytes) {
    if (!backgroundPixelsTried_) {
        backgroundPixelsTried_ = true;
        if (background_) backgroundPixels_ = background_->PremultipliedBottomUp();
    }
    if (backgroundPixels_.size() * sizeof(uint32_t) != bytes) return false;
    std::memcpy(bits, backgroundPixels_.data(), bytes);
    return true;
}

bool CTranslucentDialog::Recompose() {
    HWND hwnd = GetSafeHwnd();
    if (!hwnd) return false;
    const int w = background_ ? static_cast<int>(background_->Width()) : 0;
    const int h = background_ ? static_cast<int>(background_->Height()) : 0;

    const LONG_PTR exStyle = GetExStyle();
    if (!(exStyle & WS_EX_LAYERED)) ::SetWindowLongPtrW(hwnd, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);

    fw::WindowDc windowDc(hwnd);
    fw::UniqueMemoryDc memoryDc(::CreateCompatibleDC(windowDc.Get()));
    const RECT windowRect = GetWindowRect();
    POINT destination{windowRect.left, windowRect.top};

    const LONG stride = ((w * 32 + 31) / 8) & ~3;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = h;  // bottom-up
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biSizeImage = static_cast<DWORD>(stride) * static_cast<DWORD>(h);
    void* bits = nullptr;
    fw::UniqueGdiObject surface;
    if (windowDc && memoryDc && w > 0 && h > 0)
        surface.Reset(::CreateDIBSection(memoryDc.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!surface || !bits) return false;

    const size_t bytes = static_cast<size_t>(stride) * static_cast<size_t>(h);
    const bool backgroundCopied = CopyBackground(bits, bytes);
    if (!backgroundCopied) std::memset(bits, 0, bytes);

    fw::SelectionRestorer selection(memoryDc.Get(), surface.Get());
    {
        // GDI+ draws straight into the surface's memory, seen as premultiplied
        // pixels (bottom-up, so from the last row with a negative stride): the
        // picture drawing through the memory DC gives, without a round trip
        // through GDI for every image and text.
        GpBitmap* target = nullptr;
        GdipCreateBitmapFromScan0(w, h, -stride, PixelFormat32bppPARGB,
                                  static_cast<BYTE*>(bits) + static_cast<size_t>(stride) * static_cast<size_t>(h - 1),
                                  &target);
        UniqueGpImage targetOwner(target);
        GpGraphics* raw = nullptr;
        if (target) GdipGetImageGraphicsContext(target, &raw);
        UniqueGpGraphics graphics(raw);
        if (graphics) {
            GdipSetSmoothingMode(graphics.Get(), SmoothingModeNone);
            if (!backgroundCopied && background_ && background_->Get())
                background_->SetLastStatus(GdipDrawImageRectI(graphics.Get(), background_->Get(), 0, 0, w, h));
            // Disabled controls are drawn too, in their disabled look; hidden ones are not.
            for (CTranslucentWnd* control : controls_) {
                if (control->IsVisible()) control->Draw(graphics.Get());
            }
            // Everything must be in the surface before it is pushed.
            GdipFlush(graphics.Get(), FlushIntentionSync);
        }
    }

    if (UpdateLayeredWindowFn update = UpdateLayeredWindowFunction()) {
        SIZE size{w, h};
        POINT source{0, 0};
        update(hwnd, windowDc.Get(), &destination, &size, memoryDc.Get(), &source, 0, &blend_, ULW_ALPHA);
    }
    return true;
}

LRESULT CTranslucentDialog::OnCreate(const CREATESTRUCTW& create, WPARAM wParam, LPARAM lParam) {
    HWND hwnd = GetSafeHwnd();
    int x = create.x;
    int y = create.y;
    const int w = background_ ? static_cast<int>(background_->Width()) : 0;
    const int h = background_ ? static_cast<int>(background_->Height()) : 0;
    if (centreAtCreation_) {
        // Centred with the frame the window has now, although it then loses
        // it: the picture lands a little left of and above the true centre.
        RECT framed{0, 0, w, h};
        ::AdjustWindowRect(&framed, static_cast<DWORD>(GetStyle()), FALSE);
        RECT work{};
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        x = work.left + (work.right - work.left - (framed.right - framed.left)) / 2;
        y = work.top + (work.bottom - work.top - (framed.bottom - framed.top)) / 2;
    }

    if (Default(WM_CREATE, wParam, lParam) == -1) return -1;

    companion_.reset(MakeCompanionDialog());
    if (companion_ && companion_->Create()) ::ShowWindow(companion_->GetSafeHwnd(), SW_SHOW);

    ::SetWindowLongPtrW(hwnd, GWL_STYLE, (GetStyle() & ~static_cast<LONG_PTR>(WS_CAPTION)) | WS_POPUP);
    // The WM_MOVE and WM_SIZE this causes bring the companion along.
    ::MoveWindow(hwnd, x, y, w, h, TRUE);
    return 0;
}

LRESULT CTranslucentDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            return OnCreate(*reinterpret_cast<const CREATESTRUCTW*>(lParam), wParam, lParam);
        case WM_ERASEBKGND:
            return TRUE;  // the layered picture is the only drawing
        case WM_MOVE: {
            const LRESULT result = Default(message, wParam, lParam);
            if (companion_ && companion_->GetSafeHwnd())
                ::SetWindowPos(companion_->GetSafeHwnd(), nullptr, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), 0, 0,
                               SWP_NOSIZE | SWP_NOZORDER);
            return result;
        }
        case WM_SIZE: {
            const LRESULT result = Default(message, wParam, lParam);
            if (companion_ && companion_->GetSafeHwnd())
                ::SetWindowPos(companion_->GetSafeHwnd(), nullptr, 0, 0, LOWORD(lParam), HIWORD(lParam),
                               SWP_NOMOVE | SWP_NOZORDER);
            return result;
        }
        case WM_LBUTTONDOWN:
            // Clicks on a control go to the control's own window, not here.
            if (dragByClientArea_) ::SendMessageW(GetSafeHwnd(), WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
            return Default(message, wParam, lParam);
        default:
            break;
    }
    return CDialog::WindowProc(message, wParam, lParam);
}
