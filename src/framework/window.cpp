#include "framework/window.h"

#include <exception>

namespace fw {
namespace {

const wchar_t kObjectProperty[] = L"Zav3D.CWnd";

UINT InvokeMessage() {
    static const UINT message = ::RegisterWindowMessageW(L"Zav3D.RunOnWindowThread");
    return message;
}

struct InvokePayload {
    const std::function<void()>* work;
    std::exception_ptr error;
    bool ran;
};

// The window being created on this thread by CDialog, and the hook that binds it.
struct CreationState {
    CWnd* pending = nullptr;
    HHOOK hook = nullptr;
};
thread_local CreationState t_creation;

}  // namespace

CWnd::~CWnd() {
    if (hwnd_ && ::IsWindow(hwnd_)) Detach();
}

CWnd* CWnd::FromHandle(HWND hwnd) noexcept {
    return hwnd ? static_cast<CWnd*>(::GetPropW(hwnd, kObjectProperty)) : nullptr;
}

void CWnd::Attach(HWND hwnd) {
    hwnd_ = hwnd;
    ::SetPropW(hwnd, kObjectProperty, this);
    previous_ = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::StaticWindowProc)));
}

void CWnd::Detach() {
    if (!hwnd_) return;
    if (previous_) ::SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
    ::RemovePropW(hwnd_, kObjectProperty);
    hwnd_ = nullptr;
    previous_ = nullptr;
}

bool CWnd::SubclassWindow(HWND hwnd) {
    if (!hwnd || hwnd_ || FromHandle(hwnd)) return false;
    Attach(hwnd);
    PreSubclassWindow();
    return true;
}

bool CWnd::SubclassDlgItem(int id, CWnd* parent) {
    return parent && SubclassWindow(::GetDlgItem(parent->GetSafeHwnd(), id));
}

std::wstring CWnd::GetWindowText() const {
    const int length = ::GetWindowTextLengthW(hwnd_);
    if (length <= 0) return std::wstring();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(hwnd_, &text[0], length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

void CWnd::SetWindowText(const std::wstring& text) { ::SetWindowTextW(hwnd_, text.c_str()); }
LONG_PTR CWnd::GetStyle() const { return ::GetWindowLongPtrW(hwnd_, GWL_STYLE); }
LONG_PTR CWnd::GetExStyle() const { return ::GetWindowLongPtrW(hwnd_, GWL_EXSTYLE); }

RECT CWnd::GetWindowRect() const {
    RECT r{};
    ::GetWindowRect(hwnd_, &r);
    return r;
}

RECT CWnd::GetClientRect() const {
    RECT r{};
    ::GetClientRect(hwnd_, &r);
    return r;
}

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT milliseconds) { return ::SetTimer(hwnd_, id, milliseconds, nullptr); }
void CWnd::KillTimer(UINT_PTR id) { ::KillTimer(hwnd_, id); }

int CWnd::MessageBox(const std::wstring& text, const std::wstring& caption, UINT type) {
    return ::MessageBoxW(hwnd_, text.c_str(), caption.c_str(), type);
}

bool CWnd::RunOnWindowThread(const std::function<void()>& work) {
    HWND hwnd = hwnd_;
    if (!hwnd || !::IsWindow(hwnd)) return false;
    if (::GetWindowThreadProcessId(hwnd, nullptr) == ::GetCurrentThreadId()) {
        work();
        return true;
    }
    InvokePayload payload{&work, nullptr, false};
    ::SendMessageW(hwnd, InvokeMessage(), 0, reinterpret_cast<LPARAM>(&payload));
    if (payload.error) std::rethrow_exception(payload.error);
    return payload.ran;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return Default(message, wParam, lParam);
}

LRESULT CWnd::Default(UINT message, WPARAM wParam, LPARAM lParam) {
    if (previous_) return ::CallWindowProcW(previous_, hwnd_, message, wParam, lParam);
    return ::DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK CWnd::StaticWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    CWnd* wnd = FromHandle(hwnd);
    if (!wnd) return ::DefWindowProcW(hwnd, message, wParam, lParam);

    if (message == InvokeMessage() && lParam) {
        auto* payload = reinterpret_cast<InvokePayload*>(lParam);
        try {
            (*payload->work)();
        } catch (...) {
            payload->error = std::current_exception();
        }
        payload->ran = true;
        return 0;
    }

    LRESULT result = 0;
    try {
        result = wnd->WindowProc(message, wParam, lParam);
    } catch (...) {
        // Nothing may leave a window procedure; a handler that throws has
        // already lost its message, so the message counts as handled.
        result = 0;
    }
    if (message == WM_NCDESTROY) {
        WNDPROC previous = wnd->previous_;
        wnd->Detach();
        wnd->PostNcDestroy();
        if (previous) ::CallWindowProcW(previous, hwnd, message, wParam, lParam);
    }
    return result;
}

LRESULT CALLBACK CWnd::CreationHook(int code, WPARAM wParam, LPARAM lParam) noexcept {
    if (code == HCBT_CREATEWND && t_creation.pending) {
        CWnd* wnd = t_creation.pending;
        t_creation.pending = nullptr;
        wnd->Attach(reinterpret_cast<HWND>(wParam));
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

void CWnd::BeginCreating(CWnd* wnd) {
    t_creation.pending = wnd;
    if (!t_creation.hook)
        t_creation.hook = ::SetWindowsHookExW(WH_CBT, &CWnd::CreationHook, nullptr, ::GetCurrentThreadId());
}

void CWnd::EndCreating() {
    t_creation.pending = nullptr;
    if (t_creation.hook) {
        ::UnhookWindowsHookEx(t_creation.hook);
        t_creation.hook = nullptr;
    }
}

}  // namespace fw
