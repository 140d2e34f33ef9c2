#include "app/network_state.h"

#include <windows.h>

#include "framework/unique_any.h"

bool IsNetworkAvailable() {
    using IsNetworkAliveFn = BOOL(WINAPI*)(LPDWORD);
    fw::UniqueModule sensapi(::LoadLibraryW(L"sensapi.dll"));
    if (!sensapi) return true;
    auto isNetworkAlive = reinterpret_cast<IsNetworkAliveFn>(::GetProcAddress(sensapi.Get(), "IsNetworkAlive"));
    if (!isNetworkAlive) return true;
    DWORD flags = 0;  // which kinds of network are up does not matter here
    return isNetworkAlive(&flags) != FALSE;
}
