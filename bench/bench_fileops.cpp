// What single file-system calls cost under wine: the per-file steps of the
// digest pass, the manifest stage and the extraction of small files, each
// repeated over many files, so that the findings can say where the time of
// a tree of small files goes.
//
//   bench_fileops <empty folder> <count>
//
// Prints one line: RESULT <step>=<microseconds per call> ... touch=<s>
// write=<s> (a fresh 64 MiB block filled, then written to a new file in
// pieces of 4 MiB, as ExtractArchive writes a decoded block)
#include <windows.h>
#include <shlwapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench_common.h"

namespace {

std::wstring NameOf(const std::wstring& folder, int i) {
    return folder + L"\\f" + std::to_wstring(i) + L".dat";
}

double PerCall(double seconds, int count) { return seconds * 1e6 / count; }

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) return bench::Usage("bench_fileops <empty folder> <count>");
    const std::wstring root = argv[1];
    const int count = _wtoi(argv[2]);
    const std::wstring folder = root + L"\\sub";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    std::vector<char> data(4096, 'x');
    char buffer[2048];
    std::string line;

    auto timeEach = [&](const char* key, auto&& step) {
        const double start = bench::Now();
        for (int i = 0; i < count; ++i) step(i);
        line += bench::Field(key, PerCall(bench::Now() - start, count));
    };
    auto writeFile = [&](int i) {
        HANDLE f = ::CreateFileW(NameOf(folder, i).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        ::WriteFile(f, data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
        ::CloseHandle(f);
    };

    timeEach("create_write_close_new", writeFile);
    timeEach("create_write_close_replace", writeFile);
    // The same new files asked for case-sensitively: wine then skips its
    // search of the folder for a name that differs only in letter case.
    // An experiment only: the loader keeps Windows' case-insensitive names.
    timeEach("create_write_close_new_exact_case", [&](int i) {
        const std::wstring path = folder + L"\\g" + std::to_wstring(i) + L".dat";
        HANDLE f = ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL | FILE_FLAG_POSIX_SEMANTICS, nullptr);
        DWORD written = 0;
        ::WriteFile(f, data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
        ::CloseHandle(f);
    });
    timeEach("get_attributes", [&](int i) { ::GetFileAttributesW(NameOf(folder, i).c_str()); });
    timeEach("path_file_exists", [&](int i) { ::PathFileExistsW(NameOf(folder, i).c_str()); });
    timeEach("path_file_exists_folder", [&](int) { ::PathFileExistsW(folder.c_str()); });
    timeEach("create_existing_folder", [&](int) { ::CreateDirectoryW(folder.c_str(), nullptr); });
    timeEach("set_attributes_archive", [&](int i) { ::SetFileAttributesW(NameOf(folder, i).c_str(), FILE_ATTRIBUTE_ARCHIVE); });
    timeEach("open_size_close", [&](int i) {
        HANDLE f = ::CreateFileW(NameOf(folder, i).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        LARGE_INTEGER size;
        ::GetFileSizeEx(f, &size);
        ::CloseHandle(f);
    });
    {
        // Reads of 2 KiB from one open file, rewound every two reads.
        HANDLE f = ::CreateFileW(NameOf(folder, 0).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
        timeEach("read_2k", [&](int i) {
            DWORD n = 0;
            if (i % 2 == 0) ::SetFilePointer(f, 0, nullptr, FILE_BEGIN);
            ::ReadFile(f, buffer, sizeof(buffer), &n, nullptr);
        });
        ::CloseHandle(f);
    }
    timeEach("output_debug_string", [&](int) {
        ::OutputDebugStringW(L"{name:d000\\f00000.bin, hash:84dd726a01ef06353be1158f63138b0b, size:16384}\n");
    });
    timeEach("delete", [&](int i) { ::DeleteFileW(NameOf(folder, i).c_str()); });
    for (int i = 0; i < count; ++i) ::DeleteFileW((folder + L"\\g" + std::to_wstring(i) + L".dat").c_str());
    {
        const size_t total = size_t(64) << 20;
        const size_t piece = size_t(4) << 20;
        std::vector<unsigned char>* block = new std::vector<unsigned char>();
        const double start = bench::Now();
        block->resize(total, 0x5a);
        const double touched = bench::Now();
        const std::wstring path = folder + L"\\block.bin";
        HANDLE f = ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
        for (size_t at = 0; at < total; at += piece) {
            DWORD written = 0;
            ::WriteFile(f, block->data() + at, static_cast<DWORD>(piece), &written, nullptr);
        }
        ::CloseHandle(f);
        const double written = bench::Now();
        line += bench::Field("touch", touched - start) + bench::Field("write", written - touched);
        delete block;
        ::DeleteFileW(path.c_str());
    }
    ::RemoveDirectoryW(folder.c_str());
    bench::Report(line);
    return 0;
}
