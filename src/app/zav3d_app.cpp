#include "app/zav3d_app.h"

#include <commctrl.h>
#include <gdiplus.h>

#include "app/main_dialog.h"
#include "support/logger.h"

BOOL CZav3DLoaderApp::InitInstance() {
    INITCOMMONCONTROLSEX controls{8, 0xFF};
    ::InitCommonControlsEx(&controls);

    Gdiplus::GdiplusStartupInput input;  // version 1, no debug callback, nothing suppressed
    Gdiplus::GdiplusStartup(&gdiplusToken_, &input, nullptr);

    ::SetUnhandledExceptionFilter(&LastChanceExceptionFilter);

    {
        CZav3DLoaderDlg dialog;
        SetMainWnd(&dialog);
        dialog.DoModal();  // its end code does not matter
        SetMainWnd(nullptr);
    }
    return FALSE;
}

int CZav3DLoaderApp::ExitInstance() {
    if (gdiplusToken_) Gdiplus::GdiplusShutdown(gdiplusToken_);
    return 0;
}

LONG WINAPI LastChanceExceptionFilter(EXCEPTION_POINTERS*) {
    // The logger registry is emptied here: every log file is closed.
    ClearLoggers();
    return EXCEPTION_EXECUTE_HANDLER;
}
