// Test-only replacement of the network-state DLL: there is never a network.
#include <windows.h>

extern "C" __declspec(dllexport) BOOL WINAPI IsNetworkAlive(LPDWORD flags) {
    if (flags) *flags = 0;
    ::SetLastError(ERROR_SUCCESS);
    return FALSE;
}
