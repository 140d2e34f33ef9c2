#pragma once
// A temporary folder for one test, removed with everything in it afterwards,
// and small helpers for files with known bytes.
#include <windows.h>

#include <string>

class TestFolder {
public:
    TestFolder();
    ~TestFolder();
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    const std::wstring& Path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

void RemoveTree(const std::wstring& path);
void WriteBytes(const std::wstring& path, const std::string& bytes);
// The file's bytes, or "<unreadable>" when it cannot be opened.
std::string ReadBytes(const std::wstring& path);
bool FileExists(const std::wstring& path);
bool FolderExists(const std::wstring& path);
// Pseudo-random bytes from a seed: a body whose every chunk differs.
std::string PatternBytes(size_t size, unsigned seed = 7);
