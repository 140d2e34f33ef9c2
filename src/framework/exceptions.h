#pragma once
// The two failures of file and network work that callers must tell apart:
// a file error (disk, permissions, sharing) and a network error (WinINet).
#include <windows.h>
#include <stdexcept>
#include <string>

namespace fw {

class CFileException : public std::runtime_error {
public:
    CFileException(DWORD error, std::wstring path)
        : std::runtime_error("file error"), error_(error), path_(std::move(path)) {}
    DWORD Error() const noexcept { return error_; }
    const std::wstring& Path() const noexcept { return path_; }

private:
    DWORD error_;
    std::wstring path_;
};

class CInternetException : public std::runtime_error {
public:
    explicit CInternetException(DWORD error) : std::runtime_error("internet error"), error_(error) {}
    DWORD Error() const noexcept { return error_; }

private:
    DWORD error_;
};

}  // namespace fw
