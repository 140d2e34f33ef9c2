// Test helper for the archive tests: unpacks one archive with ExtractArchive
// and reports what happened. The archive tests build their fixtures with the
// Linux 7z tools and run this under wine.
//
//   extract_tool <archive> <folder>
//       ExtractArchive as the loader calls it.
//   extract_tool <archive> <folder> --stats [--count-size N] [--fail-at K]
//       The same through counting allocators: reports the peak of bytes held,
//       the bytes still held afterwards, whether the archive file was closed,
//       and how many allocations were exactly N bytes (a solid block's size:
//       one per decode). With --fail-at, the K-th allocation (from 1) fails.
//
// The listing of entry names goes to standard output, the report to standard
// error as "key=value" lines. Exit code: 0 report written, 2 usage.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <map>
#include <string>

#include "archive/extract.h"
#include "archive/extract_with_allocators.h"

namespace {

struct Counter {
    uint64_t held = 0;
    uint64_t peak = 0;
    uint64_t calls = 0;
    uint64_t failAt = 0;  // 0: never
    uint64_t countSize = 0;
    uint64_t sized = 0;
    std::map<void*, size_t>* sizes = nullptr;
};

Counter g_counter;

void* CountingAlloc(ISzAllocPtr, size_t size) noexcept {
    ++g_counter.calls;
    if (g_counter.failAt != 0 && g_counter.calls == g_counter.failAt) return nullptr;
    void* p = std::malloc(size != 0 ? size : 1);
    if (p == nullptr) return nullptr;
    try {
        (*g_counter.sizes)[p] = size;
    } catch (...) {
        std::free(p);
        return nullptr;
    }
    g_counter.held += size;
    if (g_counter.held > g_counter.peak) g_counter.peak = g_counter.held;
    if (g_counter.countSize != 0 && size == g_counter.countSize) ++g_counter.sized;
    return p;
}

void CountingFree(ISzAllocPtr, void* p) noexcept {
    if (p == nullptr) return;
    const auto found = g_counter.sizes->find(p);
    if (found != g_counter.sizes->end()) {
        g_counter.held -= found->second;
        g_counter.sizes->erase(found);
    }
    std::free(p);
}

// Wine does not count a process's handles, so a handle left open on the
// archive shows as a sharing conflict instead.
bool ArchiveClosed(const wchar_t* path) {
    HANDLE h = ::CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        ::CloseHandle(h);
        return true;
    }
    return ::GetLastError() != ERROR_SHARING_VIOLATION;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: extract_tool <archive> <folder> [--stats [--count-size N] [--fail-at K]]\n");
        return 2;
    }
    bool stats = false;
    for (int i = 3; i < argc; ++i) {
        const std::wstring option = argv[i];
        if (option == L"--stats") {
            stats = true;
        } else if (option == L"--count-size" && i + 1 < argc) {
            g_counter.countSize = std::wcstoull(argv[++i], nullptr, 10);
        } else if (option == L"--fail-at" && i + 1 < argc) {
            g_counter.failAt = std::wcstoull(argv[++i], nullptr, 10);
        } else {
            std::fprintf(stderr, "unknown option\n");
            return 2;
        }
    }

    if (!stats) {
        const int result = ExtractArchive(argv[1], argv[2]);
        std::fflush(stdout);
        std::fprintf(stderr, "result=%d\n", result);
        return 0;
    }

    std::map<void*, size_t> sizes;
    g_counter.sizes = &sizes;
    const ISzAlloc counting = {CountingAlloc, CountingFree};
    const int result = ExtractArchiveWith(argv[1], argv[2], counting, counting);
    std::fflush(stdout);
    std::fprintf(stderr, "result=%d\npeak=%llu\nleaked=%llu\nallocations=%llu\nsized=%llu\narchive_closed=%d\n",
                 result, static_cast<unsigned long long>(g_counter.peak),
                 static_cast<unsigned long long>(g_counter.held), static_cast<unsigned long long>(g_counter.calls),
                 static_cast<unsigned long long>(g_counter.sized), ArchiveClosed(argv[1]) ? 1 : 0);
    return 0;
}
