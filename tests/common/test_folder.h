#pragma once
// A fresh, empty folder for one test, removed with everything in it afterwards,
// and small helpers for files with known bytes. Header-only: every test
// executable that wants it includes it.
#include <windows.h>

#include <string>

#include "config/paths.h"

inline void RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((path + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring child = path + L"\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileW(child.c_str());
            }
        } while (::FindNextFileW(find, &data));
        ::FindClose(find);
    }
    ::RemoveDirectoryW(path.c_str());
}

inline void WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE h = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    DWORD n = 0;
    if (!bytes.empty()) ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
    ::CloseHandle(h);
}

// The file's bytes, or "<unreadable>" when it cannot be opened.
inline std::string ReadBytes(const std::wstring& path) {
    HANDLE h = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "<unreadable>";
    std::string bytes;
    char chunk[65536];
    DWORD n = 0;
    while (::ReadFile(h, chunk, sizeof(chunk), &n, nullptr) && n != 0) bytes.append(chunk, n);
    ::CloseHandle(h);
    return bytes;
}

inline bool FileExists(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

inline bool FolderExists(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Pseudo-random bytes from a seed: a body whose every chunk differs.
inline std::string PatternBytes(size_t size, unsigned seed = 7) {
    std::string bytes(size, '\0');
    unsigned state = seed;
    for (size_t i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        bytes[i] = static_cast<char>((state >> 16) & 0xff);
    }
    return bytes;
}

class TestFolder {
public:
    TestFolder() {
        wchar_t temp[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, temp);
        static LONG counter = 0;
        path_ = CombinePath(temp, L"zav3d-test-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                                      std::to_wstring(::InterlockedIncrement(&counter)));
        RemoveTree(path_);
        ::CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~TestFolder() { RemoveTree(path_); }
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    const std::wstring& Path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return CombinePath(path_, name); }

    // Writes a file in the folder and returns its path.
    std::wstring Write(const std::wstring& name, const std::string& bytes) const {
        const std::wstring file = *this / name;
        WriteBytes(file, bytes);
        return file;
    }
    std::string Read(const std::wstring& name) const { return ReadBytes(*this / name); }

private:
    std::wstring path_;
};
