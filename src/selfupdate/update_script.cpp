#include "selfupdate/update_script.h"

#include "config/text.h"
#include "framework/unique_any.h"

namespace {

std::wstring QuotedForScript(const std::wstring& path) {
    std::wstring quoted = L"\"";
    for (wchar_t c : path) {
        if (c == L'%') quoted += L'%';
        quoted += c;
    }
    return quoted + L"\"";
}

}  // namespace

bool SurvivesCodePage(const std::wstring& text, UINT codePage) {
    return WideFromAnsi(NarrowFromWide(text, codePage), codePage) == text;
}

std::wstring BuildUpdateScript(const std::wstring& newPath, const std::wstring& oldPath) {
    const std::wstring lines[] = {
        L"rem 自动升级.bat",
        L"set old_path=" + QuotedForScript(oldPath),
        L"set new_path=" + QuotedForScript(newPath),
        L"",
        L"rem 检测新老文件是否存在",
        L"if not exist %old_path% goto exit",
        L"if not exist %new_path% goto exit",
        L"",
        L"rem 删除老文件",
        L":try",
        L"del %old_path%",
        L"if exist %old_path% goto try",
        L"",
        L"rem 复制新文件到老文件",
        L":copy",
        L"copy %new_path% %old_path%",
        L"if not exist %old_path% goto copy",
        L"",
        L"rem 删除新文件",
        L":del_new",
        L"del %new_path%",
        L"if exist %new_path% goto del_new",
        L"",
        L"rem 启动程序",
        L"start \"\" %old_path%",
        L"",
        L"rem 删除脚本本身并退出",
        L":exit",
        L"del %0",
        L"exit",
    };
    std::wstring script;
    for (const std::wstring& line : lines) script += line + L"\r\n";
    return script;
}

std::wstring ScriptablePath(const std::wstring& path, UINT codePage) {
    if (SurvivesCodePage(path, codePage)) return path;
    wchar_t shortPath[MAX_PATH] = {};
    const DWORD n = ::GetShortPathNameW(path.c_str(), shortPath, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return std::wstring();
    const std::wstring candidate(shortPath, n);
    return SurvivesCodePage(candidate, codePage) ? candidate : std::wstring();
}

bool WriteUpdateScript(const std::wstring& path, const std::wstring& script, UINT codePage) {
    const std::string bytes = NarrowFromWide(script, codePage);
    fw::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    if (!::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) return false;
    if (written != bytes.size()) {
        ::SetLastError(ERROR_WRITE_FAULT);
        return false;
    }
    return true;
}
