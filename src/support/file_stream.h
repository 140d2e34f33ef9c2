#pragma once
// A Stream over a file on disk.
#include <string>

#include "framework/file.h"
#include "support/stream.h"

class FileStream : public Stream {
public:
    enum Mode { modeCreate = 2 };  // the file is created, or truncated, and opened for writing
    enum Access { denyRead = 1, denyWrite = 2 };  // bits: what other openers are refused

    // Only modeCreate is supported; any other mode raises IOException. The
    // open itself is not checked here: a file that could not be opened raises
    // fw::CFileException at its first operation.
    FileStream(const std::wstring& path, int mode, int access);

    bool IsOpen() const noexcept { return file_.IsOpen(); }

    bool CanRead() const override;
    bool CanSeek() const override;
    bool CanWrite() const override;
    uint64_t GetPosition() const override;
    uint64_t GetLength() const override;
    uint32_t Read(void* buffer, uint32_t count) override;
    void Write(const void* buffer, uint32_t count) override;
    // Origin 2 counts the offset backward from the end: Seek(10, 2) on a
    // 100-byte file moves to 90. Any other origin than 0, 1, 2 raises
    // ArgumentException "origin".
    uint64_t Seek(int64_t offset, int origin) override;
    void SetLength(uint64_t length) override;
    void Flush() override;
    void Close() override;  // does nothing when the file is not open

private:
    void RequireOpen() const;

    fw::CFile file_;
    int mode_;
    int access_;
    std::wstring path_;
};
