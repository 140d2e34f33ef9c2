#include "selfupdate/loader_replacement.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdlib>

#include "config/paths.h"
#include "config/text.h"
#include "framework/exceptions.h"
#include "support/logger.h"
#include "update/http_client.h"
#include "update/update_error.h"

namespace {

const char kDownloadFailedText[] = "获取最新版更新程序失败,请稍后再试...";
const char kDownloadFailedCaption[] = "异常：";
const char kNoWriteAccessText[] = "请用管理员权限运行！";
const char kNoWriteAccessCaption[] = "错误提示：";
const char kNetworkErrorText[] = "网络异常，请稍后再试！";

void LogError(const std::wstring& message) { GetLogger(L"loader-error")->Log(message); }

[[noreturn]] void ShowAndExit(const char* text, const char* caption) {
    ::MessageBoxW(nullptr, WideFromUtf8(text).c_str(), WideFromUtf8(caption).c_str(), MB_OK);
    std::exit(0);
}

std::wstring FolderOfFile(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring BaseNameOf(const std::wstring& path) {
    std::wstring name = FileNameOf(path);
    const size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos) name.resize(dot);
    return name;
}

// True for a complete download; a file that could not be created or written
// counts as a failed download, a network error becomes the network message.
bool Download(const std::wstring& url, const std::wstring& path) {
    try {
        return DownloadToFile(url, path, nullptr);
    } catch (const fw::CInternetException& e) {
        LogError(L"loader download from " + url + L" failed: network error " + IntToText(e.Error()));
        throw UpdateError(kNetworkErrorText);
    } catch (const fw::CFileException& e) {
        LogError(L"loader download to " + e.Path() + L" failed: file error " + IntToText(e.Error()));
        return false;
    }
}

}  // namespace

void ReplaceLoaderIfNewer(const LoaderVersion& server, const std::wstring& url, const StatusSetter& setStatus) {
    ReplaceLoaderIfNewer(server, url, setStatus, ModulePath());
}

void ReplaceLoaderIfNewer(const LoaderVersion& server, const std::wstring& url, const StatusSetter& setStatus,
                          const std::wstring& loaderPath) {
    // Without its own version the loader would count every published version as
    // newer and replace itself on every start.
    LoaderVersion running;
    if (!ReadProductVersion(loaderPath, running)) {
        LogError(L"no self-update: " + loaderPath + L" has no readable version resource (error " +
                 IntToText(::GetLastError()) + L")");
        return;
    }
    if (!(server > running)) return;

    const std::wstring folder = FolderOfFile(loaderPath);
    const std::wstring oldPath = CombinePath(folder, BaseNameOf(loaderPath) + L".exe");
    const std::wstring newPath = CombinePath(folder, L"NewFile.exe");
    const std::wstring scriptPath = CombinePath(folder, L"update.bat");

    // cmd reads the script in the ANSI code page: a path it cannot spell would
    // make the script give up after this process has ended, and the loader
    // would download and quit again on every start. The folder may be named by
    // its short form, the file not: once deleted, the old file's short name is
    // gone, and the copy would create a file of that short name instead.
    const std::wstring scriptFolder = ScriptablePath(folder);
    const std::wstring oldName = FileNameOf(oldPath);
    if (scriptFolder.empty() || !SurvivesCodePage(oldName)) {
        LogError(L"no self-update to " + VersionToText(server) + L": " + oldPath +
                 L" cannot be named in the ANSI code page " + IntToText(::GetACP()));
        return;
    }

    if (setStatus) setStatus(L"正在下载最新版本Loading程序...");

    if (!Download(url, newPath)) ShowAndExit(kDownloadFailedText, kDownloadFailedCaption);

    // A published file that is not a newer loader would be swapped in, find the
    // same published version newer again, and restart itself for ever.
    LoaderVersion downloaded;
    if (!ReadProductVersion(newPath, downloaded) || !(downloaded > running)) {
        LogError(L"no self-update: " + url + L" is not a loader newer than " + VersionToText(running));
        ShowAndExit(kDownloadFailedText, kDownloadFailedCaption);
    }

    const std::wstring script =
        BuildUpdateScript(CombinePath(scriptFolder, L"NewFile.exe"), CombinePath(scriptFolder, oldName));
    if (!WriteUpdateScript(scriptPath, script)) ShowAndExit(kNoWriteAccessText, kNoWriteAccessCaption);

    // Its result is not looked at: there is nothing left to do either way.
    ::ShellExecuteW(nullptr, L"open", scriptPath.c_str(), nullptr, nullptr, SW_HIDE);
    std::exit(0);
}
