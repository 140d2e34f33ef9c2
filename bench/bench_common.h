#pragma once
// What every bench executable shares: a clock, its one result line, and the
// small file readers the benches need. Bench executables run under wine like
// the tests and call the loader's own functions; the driver (bench/bench.py)
// reads the last "RESULT" line of standard output.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "config/text.h"

namespace bench {

// QueryPerformanceCounter in seconds.
inline double Now() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / frequency;
}

// "RESULT key=value ..." on standard output, flushed: the driver's only input.
inline void Report(const std::string& fields) {
    const size_t first = fields.find_first_not_of(' ');
    std::printf("RESULT %s\n", first == std::string::npos ? "" : fields.c_str() + first);
    std::fflush(stdout);
}

inline std::string Field(const char* key, double value) {
    char text[96];
    std::snprintf(text, sizeof(text), " %s=%.6f", key, value);
    return text;
}

inline std::string Field(const char* key, uint64_t value) {
    char text[96];
    std::snprintf(text, sizeof(text), " %s=%llu", key, static_cast<unsigned long long>(value));
    return text;
}

// The whole file as bytes; empty when it cannot be read.
inline std::string ReadBytes(const std::wstring& path) {
    std::string bytes;
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char buffer[65536];
    DWORD n = 0;
    while (::ReadFile(file, buffer, sizeof(buffer), &n, nullptr) && n != 0) bytes.append(buffer, n);
    ::CloseHandle(file);
    return bytes;
}

// Lines of a UTF-8 text file, without their line ends; empty lines dropped.
inline std::vector<std::wstring> ReadLines(const std::wstring& path) {
    std::vector<std::wstring> lines;
    for (std::wstring line : SplitText(WideFromUtf8(ReadBytes(path)), L"\n")) {
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

inline int Usage(const char* text) {
    std::fprintf(stderr, "usage: %s\n", text);
    return 2;
}

}  // namespace bench
