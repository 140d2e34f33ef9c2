#include "app/pipeline.h"

#include <windows.h>

#include <exception>
#include <memory>

#include "app/finish.h"
#include "app/main_dialog.h"
#include "app/progress.h"
#include "archive/extract.h"
#include "config/paths.h"
#include "config/settings.h"
#include "config/text.h"
#include "framework/unique_any.h"
#include "selfupdate/loader_replacement.h"
#include "update/file_task.h"

namespace {

void SetStatus(const std::wstring& text) {
    if (CZav3DLoaderDlg* dialog = CZav3DLoaderDlg::Main()) dialog->SetStatusText(text);
}

// Shows a stage's failure in a box owned by the main window, then ends the process.
[[noreturn]] void FailRun(const char* utf8Message, UINT exitCode) {
    std::wstring text = utf8Message ? WideFromUtf8(utf8Message) : std::wstring();
    if (text.empty()) text = L"Unknown exception";
    if (CZav3DLoaderDlg* dialog = CZav3DLoaderDlg::Main())
        dialog->ShowMessage(text, ApplicationName());
    else
        ::MessageBoxW(nullptr, text.c_str(), ApplicationName().c_str(), MB_OK);
    ::ExitProcess(exitCode);
}

// Hands the record to a new thread running the stage; the record stays ours
// (and is released) only when the thread cannot be started.
template <typename Task>
Task* StartStage(LPTHREAD_START_ROUTINE body, std::unique_ptr<Task> task) {
    fw::UniqueKernelHandle thread(::CreateThread(nullptr, 0, body, task.get(), 0, nullptr));
    if (!thread) throw std::runtime_error("the update could not start a thread");
    // Nobody joins a stage: the handle is not kept.
    return task.release();
}

DWORD WINAPI DownloadThread(void* param) noexcept {
    auto* task = static_cast<DownloadTask*>(param);
    // The worker's own copy: currentEntry points into it while the timer runs.
    std::vector<FileEntry> entries = task->inputs.entries;
    try {
        try {
            uint32_t position = 0;
            for (FileEntry& entry : entries) {
                ++position;
                task->inputs.beforeFile(entry);
                Download(entry);
                for (AfterFileCallback after : task->inputs.afterFile) after(entry, position);
            }
        } catch (const std::exception& e) {
            // The handler copies the text before the exception goes away.
            fw::FailTask(task, e.what());
            return 0;
        }
        fw::CompleteTask(task, int32_t{0});
    } catch (...) {
        FailRun(nullptr, 1);
    }
    return 0;
}

}  // namespace

void StartVersionCheck() {
    auto task = std::make_unique<VersionCheckTask>();
    task->completion = &OnVersionChecked;
    StartStage(&RunVersionCheck, std::move(task));
}

void StartManifestFetch() {
    auto task = std::make_unique<ManifestTask>();
    task->completion = &OnManifestLoaded;
    StartStage(&FetchManifest, std::move(task));
}

DownloadTask* StartDownload(const std::vector<FileEntry>& entries, AfterFileCallback afterFile) {
    int64_t total = 0;
    for (const FileEntry& entry : entries) total += entry.size;
    Progress().AddToTotal(total);

    auto task = std::make_unique<DownloadTask>();
    task->completion = &OnDownloadFinished;
    task->inputs.entries = entries;
    task->inputs.beforeFile = &OnFileStarted;
    task->inputs.afterFile = {afterFile, &OnFileCounted};
    return StartStage(&DownloadThread, std::move(task));
}

void OnVersionChecked(VersionCheckTask* task) {
    try {
        const VersionCheckResult result = fw::TakeResult(task);
        ReplaceLoaderIfNewer(result.version, result.url, &SetStatus);
        SetStatus(L"正在获取文件清单...");
        StartManifestFetch();
    } catch (const std::exception& e) {
        FailRun(e.what(), 0);
    } catch (...) {
        FailRun(nullptr, 0);
    }
}

void OnManifestLoaded(ManifestTask* task) {
    try {
        const std::vector<FileEntry> needed = fw::TakeResult(task);
        if (needed.empty()) {
            FinishUpdate();
            return;
        }
        SetStatus(L"正在下载文件......");
        const std::vector<FileEntry> selected = SelectEntries(needed, AppSettings().install);
        if (CZav3DLoaderDlg* dialog = CZav3DLoaderDlg::Main()) dialog->StartProgressTimer();
        StartDownload(selected, &OnFileExtract);
    } catch (const std::exception& e) {
        FailRun(e.what(), 0);
    } catch (...) {
        FailRun(nullptr, 0);
    }
}

void OnDownloadFinished(DownloadTask* task) {
    CZav3DLoaderDlg* dialog = CZav3DLoaderDlg::Main();
    if (dialog) dialog->StopProgressTimer();
    try {
        fw::TakeResult(task);
        if (dialog) dialog->FillProgressBar();
        FinishUpdate();
    } catch (const std::exception& e) {
        FailRun(e.what(), 1);
    } catch (...) {
        FailRun(nullptr, 1);
    }
}

void OnFileStarted(FileEntry& entry) { Progress().OnFileStarted(entry); }

void OnFileCounted(FileEntry& entry, uint32_t) { Progress().OnFileCounted(entry); }

bool IsArchiveToUnpack(const FileEntry& entry) {
    return entry.kind == 1 && ExtensionOf(entry.name) == L".7z";
}

void OnFileExtract(FileEntry& entry, uint32_t) {
    if (!IsArchiveToUnpack(entry)) return;
    SetStatus(L"正在解压：" + entry.name);
    // A failed unpacking keeps the archive: the next run downloads and unpacks it again.
    if (ExtractArchive(entry.localPath, FolderOf(entry.localPath)) == 0) ::DeleteFileW(entry.localPath.c_str());
}

void OnProgressTick() {
    const ProgressTick tick = Progress().Tick();
    CZav3DLoaderDlg* dialog = CZav3DLoaderDlg::Main();
    if (!dialog) return;
    if (tick.percent >= 0 && tick.percent <= 100) dialog->SetProgressValue(tick.percent);
    SetDetailText(ProgressDetailText(tick));
}

std::vector<FileEntry> SelectEntries(const std::vector<FileEntry>& needed, bool installed) {
    const int32_t kind = installed ? 2 : 1;
    std::vector<FileEntry> selected;
    for (const FileEntry& entry : needed)
        if (entry.kind == kind) selected.push_back(entry);
    return selected;
}

void SetDetailText(const std::wstring& text) {
    if (CZav3DLoaderDlg* dialog = CZav3DLoaderDlg::Main()) dialog->SetDetailLabelText(ShortenDetailText(text));
}
