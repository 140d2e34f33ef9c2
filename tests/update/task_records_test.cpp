#include <gtest/gtest.h>
#include <windows.h>

#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

#include "app/task_records.h"
#include "update/update_messages.h"

static_assert(std::is_same<ManifestTask::Handler, void (*)(ManifestTask*)>::value, "manifest record");
static_assert(std::is_same<decltype(VersionCheckTask::result), VersionCheckResult>::value, "version record");
static_assert(std::is_same<decltype(DownloadTask::result), int32_t>::value, "download record");

namespace {

std::vector<std::wstring> g_calls;
int g_handled = 0;
DWORD g_handlerThread = 0;
bool g_done = false;
int32_t g_failed = -1;
std::string g_raised;
int32_t g_result = -1;

void BeforeFile(FileEntry& entry) { g_calls.push_back(L"before " + entry.name); }
void Extract(FileEntry& entry, uint32_t position) {
    g_calls.push_back(L"extract " + entry.name + L" " + std::to_wstring(position));
}
void Count(FileEntry& entry, uint32_t position) {
    g_calls.push_back(L"count " + entry.name + L" " + std::to_wstring(position));
}

void OnFinished(DownloadTask* task) {
    ++g_handled;
    g_handlerThread = ::GetCurrentThreadId();
    g_done = task->done;
    g_failed = task->failed;
    try {
        g_result = fw::TakeResult(task);
    } catch (const std::runtime_error& e) {
        g_raised = e.what();
    }
}

// A stage as the download worker runs it: every entry with its callbacks,
// then the hand-over, last.
DWORD WINAPI FakeWorker(LPVOID param) {
    DownloadTask* task = static_cast<DownloadTask*>(param);
    DownloadInputs& in = task->inputs;
    for (uint32_t i = 0; i < in.entries.size(); ++i) {
        in.beforeFile(in.entries[i]);
        for (auto after : in.afterFile) after(in.entries[i], i);
        if (in.entries[i].name == L"broken.bin") {
            fw::FailTask(task, kDownloadFailedText);
            return 0;
        }
    }
    fw::CompleteTask(task, int32_t{0});
    return 0;
}

void RunWorker(std::vector<FileEntry> entries) {
    g_calls.clear();
    g_handled = 0;
    g_raised.clear();
    g_result = -1;
    DownloadTask* task = new DownloadTask;
    task->completion = &OnFinished;
    task->inputs.entries = std::move(entries);
    task->inputs.beforeFile = &BeforeFile;
    task->inputs.afterFile = {&Extract, &Count};
    DWORD id = 0;
    HANDLE thread = ::CreateThread(nullptr, 0, &FakeWorker, task, 0, &id);
    ASSERT_NE(thread, nullptr);
    ASSERT_EQ(::WaitForSingleObject(thread, 30000), WAIT_OBJECT_0);
    ::CloseHandle(thread);
    EXPECT_EQ(g_handled, 1);
    EXPECT_EQ(g_handlerThread, id);
    EXPECT_TRUE(g_done);
}

}  // namespace

TEST(DownloadTaskRecord, CallbacksInListOrderThenTheHandler) {
    RunWorker({FileEntry(L"a.7z", L"h", 1, 1), FileEntry(L"b.bin", L"h", 2, 1)});
    EXPECT_EQ(g_calls, (std::vector<std::wstring>{L"before a.7z", L"extract a.7z 0", L"count a.7z 0", L"before b.bin",
                                                  L"extract b.bin 1", L"count b.bin 1"}));
    EXPECT_EQ(g_failed, 0);
    EXPECT_EQ(g_result, 0);
    EXPECT_EQ(g_raised, "");
}

TEST(DownloadTaskRecord, FailedStageRaisesItsMessageWhenTaken) {
    RunWorker({FileEntry(L"broken.bin", L"h", 1, 1), FileEntry(L"never.bin", L"h", 1, 1)});
    EXPECT_EQ(g_failed, 1);
    EXPECT_EQ(g_raised, kDownloadFailedText);
    EXPECT_EQ(g_calls.size(), 3u);  // nothing after the failed entry
}
