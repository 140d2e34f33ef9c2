#pragma once
// The loader's own version number: the product version of its executable, and
// the text form "a.b.c.d" the version page publishes.
#include <cstdint>
#include <string>

struct LoaderVersion {
    uint16_t major = 0;
    uint16_t minor = 0;
    uint16_t build = 0;
    uint16_t revision = 0;
};

// Lexicographic on major, minor, build, revision; each part unsigned.
bool operator==(const LoaderVersion& a, const LoaderVersion& b);
bool operator!=(const LoaderVersion& a, const LoaderVersion& b);
bool operator<(const LoaderVersion& a, const LoaderVersion& b);
bool operator>(const LoaderVersion& a, const LoaderVersion& b);
bool operator<=(const LoaderVersion& a, const LoaderVersion& b);
bool operator>=(const LoaderVersion& a, const LoaderVersion& b);

// "a.b.c.d" for logs and messages.
std::wstring VersionToText(const LoaderVersion& version);

// Four fields separated by "."; each is read like atoi (leading blanks
// skipped, digits up to the first non-digit, none gives 0) and kept to its low
// 16 bits, so "65536" reads as 0 and "-1" as 65535. Raises std::runtime_error
// with the message "format error!" unless there are exactly four fields.
LoaderVersion ParseVersion(const std::wstring& text);

// The product version from the fixed part of a file's version resource.
// False when the file has no readable version resource; GetLastError() then
// tells why.
bool ReadProductVersion(const std::wstring& path, LoaderVersion& out);

// ReadProductVersion of the running executable.
bool GetRunningLoaderVersion(LoaderVersion& out);
