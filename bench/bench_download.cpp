// Downloads as the loader makes them, and the transfer-buffer experiment.
//
//   bench_download product <base url> <name list> <output folder>
//       DownloadToFile for every name of the list (one per line), one after
//       another, each into the output folder under its own name.
//   bench_download wininet <read size> <url> <output file>
//       An experiment outside the loader: the same request through WinINet
//       (own session, no cache write) read in pieces of <read size> bytes,
//       to show what the size of the read buffer costs.
//
// Prints: RESULT seconds=<s> bytes=<n> files=<n>
#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <cstdio>
#include <cwchar>
#include <vector>

#include "bench_common.h"
#include "config/paths.h"
#include "framework/exceptions.h"
#include "framework/unique_any.h"
#include "update/http_client.h"
#include "update/http_url.h"

namespace {

int Product(const std::wstring& baseUrl, const std::wstring& listPath, const std::wstring& folder) {
    const std::vector<std::wstring> names = bench::ReadLines(listPath);
    uint64_t bytes = 0;
    uint64_t failed = 0;
    const double start = bench::Now();
    for (const std::wstring& name : names) {
        std::atomic<int64_t> counter{0};
        try {
            if (!DownloadToFile(baseUrl + name, CombinePath(folder, name), &counter)) ++failed;
        } catch (const fw::CFileException&) {
            ++failed;
        } catch (const fw::CInternetException&) {
            ++failed;
        }
        bytes += static_cast<uint64_t>(counter.load());
    }
    const double seconds = bench::Now() - start;
    bench::Report(bench::Field("seconds", seconds) + bench::Field("bytes", bytes) +
                  bench::Field("files", static_cast<uint64_t>(names.size())) + bench::Field("failed", failed));
    return failed == 0 ? 0 : 1;
}

int Experiment(DWORD readSize, const std::wstring& url, const std::wstring& path) {
    HttpUrl parts;
    if (!ParseHttpUrl(url, parts)) return bench::Usage("bench_download wininet <size> <http url> <file>");
    std::vector<char> buffer(readSize);
    uint64_t total = 0;
    const double start = bench::Now();
    {
        fw::UniqueInternet session(::InternetOpenW(L"bench", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
        fw::UniqueInternet connection(::InternetConnectW(session.Get(), parts.server.c_str(), parts.port, nullptr,
                                                         nullptr, INTERNET_SERVICE_HTTP, 0, 1));
        fw::UniqueInternet request(::HttpOpenRequestW(connection.Get(), L"GET", parts.object.c_str(), nullptr,
                                                      nullptr, nullptr,
                                                      INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 1));
        if (!request || !::HttpSendRequestW(request.Get(), nullptr, 0, nullptr, 0)) {
            std::fprintf(stderr, "bench_download: request failed (%lu)\n", ::GetLastError());
            return 1;
        }
        fw::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return 1;
        for (;;) {
            DWORD n = 0;
            if (!::InternetReadFile(request.Get(), buffer.data(), readSize, &n)) return 1;
            if (n == 0) break;
            DWORD written = 0;
            if (!::WriteFile(file.Get(), buffer.data(), n, &written, nullptr)) return 1;
            total += written;
        }
    }
    const double seconds = bench::Now() - start;
    bench::Report(bench::Field("seconds", seconds) + bench::Field("bytes", total) +
                  bench::Field("files", static_cast<uint64_t>(1)));
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    if (mode == L"product" && argc == 5) return Product(argv[2], argv[3], argv[4]);
    if (mode == L"wininet" && argc == 5) {
        return Experiment(static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10)), argv[3], argv[4]);
    }
    return bench::Usage("bench_download product <base url> <list> <folder> | wininet <size> <url> <file>");
}
