// The manifest stage as the pipeline starts it: FetchManifest on a thread of
// its own, the manifest fetched from the server, every listed file checked,
// and the entries that need download handed to the completion handler.
//
//   bench_manifest <base url> <client root folder>
//
// Timed from the thread's start to the handler's call. Prints:
//   RESULT seconds=<s> needed=<n> failed=<0|1>
#include <windows.h>

#include <cstdio>
#include <vector>

#include "bench_common.h"
#include "config/settings.h"
#include "update/manifest.h"

namespace {

double g_finished = 0;
size_t g_needed = 0;
bool g_failed = false;

void OnManifestLoaded(ManifestTask* task) {
    g_finished = bench::Now();
    try {
        g_needed = fw::TakeResult(task).size();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_manifest: %s\n", e.what());
        g_failed = true;
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) return bench::Usage("bench_manifest <base url> <root>");
    Settings& settings = AppSettings();
    settings.baseUrl = argv[1];
    settings.folderPath = ToLowerText(argv[2]);
    settings.coverClientConfig = true;

    ManifestTask* task = new ManifestTask;
    task->completion = OnManifestLoaded;
    const double start = bench::Now();
    HANDLE thread = ::CreateThread(nullptr, 0, FetchManifest, task, 0, nullptr);
    if (!thread) return 1;
    ::WaitForSingleObject(thread, INFINITE);
    ::CloseHandle(thread);
    const double seconds = g_finished - start;

    // Every listed file is up to date, so the entries checked are the lines
    // of the manifest, which the driver knows; it passes nothing else here.
    bench::Report(bench::Field("seconds", seconds) + bench::Field("needed", static_cast<uint64_t>(g_needed)) +
                  bench::Field("failed", static_cast<uint64_t>(g_failed ? 1 : 0)));
    return g_failed || g_needed != 0 ? 1 : 0;
}
