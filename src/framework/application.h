#pragma once
// The application object: instance start-up and exit around the one modal
// window. The process's exit code is what ExitInstance returns.
#include <windows.h>

namespace fw {

class CWnd;

class CApplication {
public:
    CApplication() = default;
    virtual ~CApplication() = default;
    CApplication(const CApplication&) = delete;
    CApplication& operator=(const CApplication&) = delete;

    // Runs InitInstance, then ExitInstance; returns ExitInstance's result.
    int Run(HINSTANCE instance);

    HINSTANCE Instance() const noexcept { return instance_; }
    CWnd* MainWnd() const noexcept { return mainWnd_; }
    void SetMainWnd(CWnd* wnd) noexcept { mainWnd_ = wnd; }

protected:
    // false: the application has done its work (the usual case for a
    // dialog-based program); ExitInstance follows either way.
    virtual BOOL InitInstance() = 0;
    virtual int ExitInstance() { return 0; }

private:
    HINSTANCE instance_ = nullptr;
    CWnd* mainWnd_ = nullptr;
};

}  // namespace fw
