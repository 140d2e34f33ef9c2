// Test helper run under wine beside the loader: finds its windows and message
// boxes, reads their texts and presses their buttons. Prints UTF-8.
//
//   wintool msgbox <caption> [timeout_ms]   wait for a message box, print its text, press OK
//   wintool wait <title> [timeout_ms]       wait for a visible top-level dialog, print its rectangle
//   wintool text <title> <id>               print a child control's window text
//   wintool click <title> <id>              BM_CLICK on a child button
//   wintool command <title> <id>            send WM_COMMAND/BN_CLICKED for a child as if it was clicked
//   wintool key <title> <vk>                post WM_KEYDOWN/WM_KEYUP to the window
//   wintool state <title>                   print "rect l t r b" and "exstyle x" of the window
//   wintool list                            print every top-level window (class, caption)
// Exit code: 0 done, 1 not found in time, 2 usage.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

void Print(const std::wstring& text) {
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
    out += "\n";
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), out.data(), static_cast<DWORD>(out.size()), &written, nullptr);
}

std::wstring TextOf(HWND hwnd) {
    wchar_t buffer[4096] = {};
    ::GetWindowTextW(hwnd, buffer, 4096);
    return buffer;
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t buffer[256] = {};
    ::GetClassNameW(hwnd, buffer, 256);
    return buffer;
}

struct Search {
    std::wstring caption;
    bool wantMessageBox;
    HWND found;
};

// A message box is a #32770 dialog with a static text and no control ids of ours.
bool IsMessageBox(HWND hwnd) {
    return ::GetDlgItem(hwnd, 1000) == nullptr && ::GetDlgItem(hwnd, 1004) == nullptr &&
           (::GetDlgItem(hwnd, IDOK) != nullptr || ::GetDlgItem(hwnd, IDCANCEL) != nullptr);
}

BOOL CALLBACK FindProc(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    if (ClassOf(hwnd) != L"#32770" || TextOf(hwnd) != search->caption || !::IsWindowVisible(hwnd)) return TRUE;
    if (search->wantMessageBox != IsMessageBox(hwnd)) return TRUE;
    search->found = hwnd;
    return FALSE;
}

HWND WaitFor(const std::wstring& caption, bool messageBox, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        Search search{caption, messageBox, nullptr};
        ::EnumWindows(&FindProc, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
        if (::GetTickCount() - start >= timeoutMs) return nullptr;
        ::Sleep(50);
    }
}

BOOL CALLBACK CollectStatic(HWND hwnd, LPARAM param) {
    auto* best = reinterpret_cast<std::wstring*>(param);
    if (ClassOf(hwnd) == L"Static") {
        const std::wstring text = TextOf(hwnd);
        if (text.size() > best->size()) *best = text;
    }
    return TRUE;
}

BOOL CALLBACK ListProc(HWND hwnd, LPARAM) {
    Print(ClassOf(hwnd) + L"\t" + TextOf(hwnd) + (::IsWindowVisible(hwnd) ? L"\tvisible" : L"\thidden"));
    return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    const std::wstring verb = argv[1];
    if (verb == L"list") {
        ::EnumWindows(&ListProc, 0);
        return 0;
    }
    if (argc < 3) return 2;
    const std::wstring caption = argv[2];

    if (verb == L"msgbox") {
        const DWORD timeout = argc > 3 ? static_cast<DWORD>(_wtoi(argv[3])) : 10000;
        HWND box = WaitFor(caption, true, timeout);
        if (!box) return 1;
        ::Sleep(100);  // let the box finish laying out its text
        std::wstring text;
        ::EnumChildWindows(box, &CollectStatic, reinterpret_cast<LPARAM>(&text));
        Print(text);
        HWND ok = ::GetDlgItem(box, IDOK);
        ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(ok ? IDOK : IDCANCEL, BN_CLICKED),
                       reinterpret_cast<LPARAM>(ok ? ok : ::GetDlgItem(box, IDCANCEL)));
        return 0;
    }

    const DWORD waitMs = (verb == L"wait" && argc > 3) ? static_cast<DWORD>(_wtoi(argv[3])) : 10000;
    HWND window = WaitFor(caption, false, waitMs);
    if (!window) return 1;
    if (verb == L"wait" || verb == L"state") {
        RECT r{};
        ::GetWindowRect(window, &r);
        Print(L"rect " + std::to_wstring(r.left) + L" " + std::to_wstring(r.top) + L" " + std::to_wstring(r.right) +
              L" " + std::to_wstring(r.bottom));
        Print(L"exstyle " + std::to_wstring(static_cast<unsigned long>(::GetWindowLongW(window, GWL_EXSTYLE))));
        return 0;
    }
    if (argc < 4) return 2;
    const int id = _wtoi(argv[3]);
    if (verb == L"key") {
        ::PostMessageW(window, WM_KEYDOWN, static_cast<WPARAM>(id), 0);
        ::PostMessageW(window, WM_KEYUP, static_cast<WPARAM>(id), 0);
        return 0;
    }
    HWND control = ::GetDlgItem(window, id);
    if (!control) return 1;
    if (verb == L"text") {
        Print(TextOf(control));
        return 0;
    }
    if (verb == L"click") {
        ::SendMessageW(control, BM_CLICK, 0, 0);
        return 0;
    }
    if (verb == L"command") {
        ::SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
        return 0;
    }
    return 2;
}
