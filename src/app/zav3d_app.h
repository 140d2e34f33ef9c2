#pragma once
#include <windows.h>

#include "framework/application.h"

class CZav3DLoaderApp : public fw::CApplication {
protected:
    BOOL InitInstance() override;
    int ExitInstance() override;

private:
    ULONG_PTR gdiplusToken_ = 0;
};

// The last-chance exception filter: empties the logger registry so that no
// lock is left held, then lets the process end without the fault dialog.
LONG WINAPI LastChanceExceptionFilter(EXCEPTION_POINTERS* exception);
