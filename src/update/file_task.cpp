#include "update/file_task.h"

#include "config/paths.h"
#include "config/settings.h"
#include "config/text.h"
#include "framework/exceptions.h"
#include "support/logger.h"
#include "update/digest.h"
#include "update/http_client.h"
#include "update/update_error.h"
#include "update/update_messages.h"

namespace {

void LogError(const std::wstring& line) { GetLogger(L"loader-error")->Log(line); }

bool IsMissingFileError(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME;
}

bool DigestMatches(const std::wstring& digest, const std::wstring& listed) {
    return ToLowerText(digest) == ToLowerText(listed);
}

}  // namespace

void ResolvePaths(FileEntry& entry) {
    if (entry.resolved) return;
    entry.url = AppSettings().baseUrl + entry.name;
    const std::wstring root = ClientRootFolder();
    const size_t slash = entry.name.rfind(L'\\');
    if (slash != std::wstring::npos) {
        // Asking the file system whether the folder exists costs as much as
        // trying to make it, and the folder of a game file usually exists.
        // Only a missing parent needs the walk along the whole path.
        const std::wstring folder = CombinePath(root, entry.name.substr(0, slash));
        if (!::CreateDirectoryW(folder.c_str(), nullptr) && ::GetLastError() == ERROR_PATH_NOT_FOUND) {
            CreateDirectoryTree(folder);
        }
    }
    entry.localPath = CombinePath(root, entry.name);
    entry.resolved = true;
}

bool NeedsUpdate(FileEntry& entry) {
    ResolvePaths(entry);
    const Settings& settings = AppSettings();
    if (!settings.coverClientConfig && FileNameOf(entry.name) == settings.clientConfigFileName) return false;
    // Opening the file directly answers "is it there" too: a tree of small
    // files is bound by file-system calls, so no separate look-up first.
    try {
        return !DigestMatches(ComputeDigest(entry.localPath), entry.hash);
    } catch (const fw::CFileException& e) {
        if (IsMissingFileError(e.Error())) return true;
        throw;
    }
}

void Download(FileEntry& entry) {
    ResolvePaths(entry);
    entry.received = 0;
    bool complete = false;
    try {
        complete = DownloadToFile(entry.url, entry.localPath, &entry.received);
    } catch (const fw::CFileException&) {
        LogError(L"文件写入失败：" + entry.localPath);
        throw UpdateError(kFileAccessFailedText);
    } catch (const fw::CInternetException&) {
        throw UpdateError(kNetworkFailedText);
    }
    GetLogger(L"loader-download")->Log(L"download -> " + entry.url);
    if (!complete) {
        LogError(L"web 文件缺失：" + entry.url);
        throw UpdateError(kDownloadFailedText);
    }

    // A complete transfer of the wrong bytes (a stale or damaged file on the
    // server, a proxy's error page) must not pass for an update.
    std::wstring digest;
    try {
        digest = ComputeDigest(entry.localPath);
    } catch (const fw::CFileException&) {
        LogError(L"文件读取失败：" + entry.localPath);
        throw UpdateError(kFileAccessFailedText);
    }
    if (!DigestMatches(digest, entry.hash)) {
        LogError(L"文件校验失败：" + entry.url);
        throw UpdateError(kDownloadFailedText);
    }
}
