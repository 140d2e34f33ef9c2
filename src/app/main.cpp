#include <windows.h>

#include "app/zav3d_app.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    CZav3DLoaderApp app;
    return app.Run(instance);
}
