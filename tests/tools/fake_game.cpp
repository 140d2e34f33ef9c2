// Stand-in for the game client. Writes "game-started.txt" beside itself (UTF-8):
//   line 1: the raw command line; line 2: the working folder.
#include <windows.h>

#include <string>

namespace {

std::string Utf8(const wchar_t* text) {
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? static_cast<size_t>(n - 1) : 0, '\0');
    if (n > 1) ::WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], n, nullptr, nullptr);
    return out;
}

}  // namespace

int wmain() {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring record = self;
    record = record.substr(0, record.rfind(L'\\') + 1) + L"game-started.txt";
    wchar_t cwd[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, cwd);
    const std::string text = Utf8(::GetCommandLineW()) + "\n" + Utf8(cwd) + "\n";
    HANDLE file = ::CreateFileW(record.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    ::CloseHandle(file);
    return 0;
}
