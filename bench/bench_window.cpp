// The floor for start-up to a first frame: a program that does nothing but
// show one layered popup of the main window's size, pushed once with
// UpdateLayeredWindow from a ready surface, and then waits to be closed.
// It pays what every windowed program pays under wine (the window system
// and its driver) and nothing of the loader's own start-up.
#include <windows.h>

namespace {

const int kWidth = 757;
const int kHeight = 321;

LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"BenchWindow";
    ::RegisterClassW(&windowClass);
    HWND hwnd = ::CreateWindowExW(WS_EX_LAYERED | WS_EX_APPWINDOW, L"BenchWindow", L"bench", WS_POPUP, 100, 100,
                                  kWidth, kHeight, nullptr, nullptr, instance, nullptr);
    if (!hwnd) return 1;

    HDC screen = ::GetDC(hwnd);
    HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = kWidth;
    info.bmiHeader.biHeight = kHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP surface = ::CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!surface || !bits) return 1;
    DWORD* pixels = static_cast<DWORD*>(bits);
    for (int i = 0; i < kWidth * kHeight; ++i) pixels[i] = 0xC0402010;
    HGDIOBJ old = ::SelectObject(memory, surface);
    POINT at{100, 100};
    SIZE size{kWidth, kHeight};
    POINT source{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ::UpdateLayeredWindow(hwnd, screen, &at, &size, memory, &source, 0, &blend, ULW_ALPHA);
    ::ShowWindow(hwnd, SW_SHOW);

    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    ::SelectObject(memory, old);
    ::DeleteObject(surface);
    ::DeleteDC(memory);
    ::ReleaseDC(hwnd, screen);
    return 0;
}
