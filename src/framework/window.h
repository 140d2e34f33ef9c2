#pragma once
// A C++ object bound to one window. Windows come to us either by subclassing
// (controls from a dialog template) or by being created through CDialog; in
// both cases the previous window procedure is kept and every message we do not
// handle goes on to it.
#include <windows.h>
#include <functional>
#include <string>

namespace fw {

class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND GetSafeHwnd() const noexcept { return hwnd_; }
    static CWnd* FromHandle(HWND hwnd) noexcept;  // only windows bound to an object

    // Binds an existing window (a template control) to this object.
    bool SubclassWindow(HWND hwnd);
    bool SubclassDlgItem(int id, CWnd* parent);

    std::wstring GetWindowText() const;
    void SetWindowText(const std::wstring& text);
    LONG_PTR GetStyle() const;
    LONG_PTR GetExStyle() const;
    RECT GetWindowRect() const;
    RECT GetClientRect() const;
    UINT_PTR SetTimer(UINT_PTR id, UINT milliseconds);
    void KillTimer(UINT_PTR id);
    int MessageBox(const std::wstring& text, const std::wstring& caption, UINT type = MB_OK);

    // The marshalling point: runs `work` on the thread that owns this window
    // and waits for it. Called on that thread, it runs at once. Returns false
    // when the window is gone and the work did not run. An exception thrown by
    // the work is raised again on the calling thread.
    //
    // Every change a pipeline thread makes to the window goes through here, so
    // a change and the composition it causes always run whole on the window's
    // thread and never overlap another. The window's thread keeps serving these
    // calls while it shows a message box, so they cannot deadlock against one.
    bool RunOnWindowThread(const std::function<void()>& work);

protected:
    // Called once the object is bound, before any message reaches WindowProc.
    virtual void PreSubclassWindow() {}
    // Every message of the window. Unhandled messages go to Default().
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The previous window procedure, for the given message.
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);
    // The window has gone (WM_NCDESTROY); the object is unbound.
    virtual void PostNcDestroy() {}

    // Used by CDialog: binds the window that is being created on this thread.
    static void BeginCreating(CWnd* wnd);
    static void EndCreating();

private:
    static LRESULT CALLBACK StaticWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    static LRESULT CALLBACK CreationHook(int code, WPARAM wParam, LPARAM lParam) noexcept;
    void Attach(HWND hwnd);
    void Detach();

    HWND hwnd_ = nullptr;
    WNDPROC previous_ = nullptr;
};

}  // namespace fw
