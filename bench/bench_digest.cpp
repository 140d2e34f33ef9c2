// The digest pass of the manifest stage: NeedsUpdate over every entry of a
// manifest whose files are all present and up to date, as the loader checks a
// game tree.
//
//   bench_digest <manifest> <client root folder> [digest]
//
// With "digest" only ComputeDigest runs per file (no path resolution, no
// existence checks), which separates the hash and its reads from the rest.
// Prints: RESULT seconds=<s> bytes=<listed bytes> files=<n> stale=<n>
#include <cstdio>
#include <vector>

#include "bench_common.h"
#include "config/settings.h"
#include "framework/exceptions.h"
#include "update/digest.h"
#include "update/file_task.h"
#include "update/manifest.h"

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return bench::Usage("bench_digest <manifest> <root> [digest]");
    const bool digestOnly = argc > 3 && std::wstring(argv[3]) == L"digest";

    Settings& settings = AppSettings();
    settings.folderPath = ToLowerText(argv[2]);
    settings.baseUrl = L"http://127.0.0.1/";
    settings.coverClientConfig = true;

    std::vector<FileEntry> entries;
    std::wstring badName;
    if (!ParseManifest(WideFromUtf8(bench::ReadBytes(argv[1])), entries, badName) || entries.empty()) {
        std::fprintf(stderr, "bench_digest: unusable manifest\n");
        return 1;
    }
    std::vector<std::wstring> paths;
    if (digestOnly) {
        for (FileEntry& entry : entries) {
            ResolvePaths(entry);
            paths.push_back(entry.localPath);
        }
    }

    uint64_t bytes = 0;
    uint64_t stale = 0;
    const double start = bench::Now();
    try {
        if (digestOnly) {
            for (size_t i = 0; i < entries.size(); ++i) {
                if (ToLowerText(ComputeDigest(paths[i])) != ToLowerText(entries[i].hash)) ++stale;
            }
        } else {
            for (FileEntry& entry : entries) {
                if (NeedsUpdate(entry)) ++stale;
            }
        }
    } catch (const fw::CFileException&) {
        std::fprintf(stderr, "bench_digest: a file cannot be read\n");
        return 1;
    }
    const double seconds = bench::Now() - start;
    for (const FileEntry& entry : entries) bytes += static_cast<uint64_t>(entry.size);
    bench::Report(bench::Field("seconds", seconds) + bench::Field("bytes", bytes) +
                  bench::Field("files", static_cast<uint64_t>(entries.size())) + bench::Field("stale", stale));
    return stale == 0 ? 0 : 1;
}
