#pragma once
// A file opened through CreateFileW. Failures of operations on an open file
// raise CFileException; Open reports failure by its result.
#include <windows.h>
#include <cstdint>
#include <string>

#include "framework/unique_any.h"

namespace fw {

class CFile {
public:
    enum OpenFlags : unsigned {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareDenyWrite = 0x0020,  // others may read
        shareDenyRead = 0x0030,   // others may write
        shareDenyNone = 0x0040,   // others may read and write
        modeCreate = 0x1000,      // create, truncating an existing file
    };
    enum SeekOrigin { begin = FILE_BEGIN, current = FILE_CURRENT, end = FILE_END };

    CFile() = default;
    // Opens or raises CFileException.
    CFile(const std::wstring& path, unsigned flags);

    bool Open(const std::wstring& path, unsigned flags, DWORD* error = nullptr);
    bool IsOpen() const noexcept { return handle_.Valid(); }
    const std::wstring& Path() const noexcept { return path_; }

    uint32_t Read(void* buffer, uint32_t count);
    void Write(const void* buffer, uint32_t count);
    uint64_t Seek(int64_t offset, SeekOrigin origin);
    uint64_t GetPosition() const;
    uint64_t GetLength() const;
    void SetLength(uint64_t length);
    void Flush();
    void Close();  // closing a file that is not open does nothing

private:
    [[noreturn]] void Fail() const;

    UniqueFile handle_;
    std::wstring path_;
};

}  // namespace fw
