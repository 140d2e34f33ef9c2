#include <windows.h>

#include "app/zav3d_app.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int code = 0;
    {
        CZav3DLoaderApp app;
        code = app.Run(instance);
    }
    // End at once: pipeline threads are not waited for, and they must not see
    // the process's static objects being destroyed under them.
    ::ExitProcess(static_cast<UINT>(code));
}
