#pragma once
// A fresh, empty folder for one test, removed with everything in it afterwards.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "config/paths.h"

class TestFolder {
public:
    TestFolder() {
        wchar_t temp[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, temp);
        static LONG counter = 0;
        path_ = CombinePath(temp, L"zav3d-test-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                                      std::to_wstring(::InterlockedIncrement(&counter)));
        ::CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~TestFolder() { RemoveTree(path_); }
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    const std::wstring& Path() const { return path_; }

    std::wstring Write(const std::wstring& name, const std::string& bytes) const {
        const std::wstring file = CombinePath(path_, name);
        HANDLE h = ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        ::CloseHandle(h);
        return file;
    }

    std::string Read(const std::wstring& name) const {
        const std::wstring file = CombinePath(path_, name);
        HANDLE h = ::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                 0, nullptr);
        if (h == INVALID_HANDLE_VALUE) return std::string();
        std::string out;
        char buffer[4096];
        DWORD n = 0;
        while (::ReadFile(h, buffer, sizeof buffer, &n, nullptr) && n > 0) out.append(buffer, n);
        ::CloseHandle(h);
        return out;
    }

private:
    static void RemoveTree(const std::wstring& path) {
        std::wstring from = path;
        from.push_back(L'\0');  // the shell wants a double-zero-terminated list
        SHFILEOPSTRUCTW op{};
        op.wFunc = FO_DELETE;
        op.pFrom = from.c_str();
        op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
        ::SHFileOperationW(&op);
    }

    std::wstring path_;
};
