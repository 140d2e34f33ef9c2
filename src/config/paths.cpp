#include "config/paths.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "config/text.h"

std::wstring CombinePath(const std::wstring& a, const std::wstring& b) {
    if (a.empty()) return b;
    if (b.empty()) return a;
    const bool aEnds = a.back() == L'\\';
    const bool bStarts = b.front() == L'\\';
    if (aEnds && bStarts) return a.substr(0, a.size() - 1) + b;
    if (!aEnds && !bStarts) return a + L"\\" + b;
    return a + b;
}

std::wstring FileNameOf(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring ExtensionOf(const std::wstring& path) {
    const size_t dot = path.rfind(L'.');
    return dot == std::wstring::npos ? std::wstring() : path.substr(dot);
}

std::wstring FolderOf(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    if (path.find(L'.') == std::wstring::npos || slash == std::wstring::npos) return path;
    return path.substr(0, slash);
}

std::wstring ModulePath() {
    wchar_t buffer[MAX_PATH] = {};
    const DWORD n = ::GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    std::wstring path(buffer, n < MAX_PATH ? n : MAX_PATH);
    if (path.size() > 256) path.resize(256);
    return path;
}

std::wstring ModuleFolder() {
    const std::wstring path = ModulePath();
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring ApplicationName() {
    std::wstring name = FileNameOf(ModulePath());
    const size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos) name.resize(dot);
    return name;
}

namespace {

std::wstring SpecialFolder(int csidl) {
    LPITEMIDLIST list = nullptr;
    if (FAILED(::SHGetSpecialFolderLocation(nullptr, csidl, &list)) || !list) return std::wstring();
    wchar_t path[MAX_PATH] = {};
    const BOOL ok = ::SHGetPathFromIDListW(list, path);
    ::CoTaskMemFree(list);
    if (!ok) return std::wstring();
    wchar_t shortPath[MAX_PATH] = {};
    const DWORD n = ::GetShortPathNameW(path, shortPath, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return std::wstring();
    return std::wstring(shortPath, n);
}

}  // namespace

std::wstring LocalAppDataFolder() { return SpecialFolder(CSIDL_LOCAL_APPDATA); }
std::wstring DesktopFolder() { return SpecialFolder(CSIDL_DESKTOPDIRECTORY); }

bool PathExists(const std::wstring& path) { return !path.empty() && ::PathFileExistsW(path.c_str()); }

void CreateDirectoryTree(const std::wstring& path) {
    const std::vector<std::wstring> parts = SplitText(path, L"\\");
    std::wstring current = parts.front();
    for (size_t i = 1; i < parts.size(); ++i) {
        current = CombinePath(current, parts[i]);
        if (!PathExists(current)) ::CreateDirectoryW(current.c_str(), nullptr);  // failures ignored
    }
}

bool CopyFileTo(const std::wstring& source, const std::wstring& destination) {
    return ::CopyFileW(source.c_str(), destination.c_str(), FALSE) != FALSE;
}

void RunCommand(const std::wstring& commandLine) {
    const std::string narrow = NarrowFromWide(commandLine, CP_THREAD_ACP);
    ::WinExec(narrow.c_str(), SW_SHOWNORMAL);
}
