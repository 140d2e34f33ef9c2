#pragma once
// An abstract byte stream. Failures of the underlying platform object pass
// through as that object's exception (fw::CFileException for files).
#include <cstdint>

class Stream {
public:
    virtual ~Stream() = default;

    virtual bool CanRead() const = 0;
    virtual bool CanSeek() const = 0;
    virtual bool CanWrite() const = 0;
    virtual uint64_t GetPosition() const = 0;
    virtual uint64_t GetLength() const = 0;
    // Reads up to count bytes; returns how many were read (0 at the end).
    virtual uint32_t Read(void* buffer, uint32_t count) = 0;
    virtual void Write(const void* buffer, uint32_t count) = 0;
    // origin: 0 from the beginning, 1 from the current position, 2 backward
    // from the end. Returns the new position from the beginning.
    virtual uint64_t Seek(int64_t offset, int origin) = 0;
    virtual void SetLength(uint64_t length) = 0;
    // Puts written bytes on disk, not only out of this process.
    virtual void Flush() = 0;
    virtual void Close() = 0;
};
