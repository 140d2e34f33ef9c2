#include "support/file_stream.h"

#include "framework/exceptions.h"
#include "support/exception.h"

namespace {

unsigned ShareFlags(int access) {
    const bool denyRead = (access & FileStream::denyRead) != 0;
    const bool denyWrite = (access & FileStream::denyWrite) != 0;
    if (denyRead && denyWrite) return 0;  // exclusive
    if (denyRead) return fw::CFile::shareDenyRead;
    if (denyWrite) return fw::CFile::shareDenyWrite;
    return fw::CFile::shareDenyNone;
}

}  // namespace

FileStream::FileStream(const std::wstring& path, int mode, int access) : mode_(mode), access_(access), path_(path) {
    if (mode != modeCreate) throw IOException();
    file_.Open(path, fw::CFile::modeCreate | fw::CFile::modeWrite | ShareFlags(access));
}

bool FileStream::CanRead() const { return (mode_ & 7) != 0; }
bool FileStream::CanSeek() const { return true; }
bool FileStream::CanWrite() const { return (mode_ & 7) != 0; }

void FileStream::RequireOpen() const {
    // CFile would hand an invalid handle to the system; say plainly what is wrong.
    if (!file_.IsOpen()) throw fw::CFileException(ERROR_INVALID_HANDLE, path_);
}

uint64_t FileStream::GetPosition() const {
    RequireOpen();
    return file_.GetPosition();
}

uint64_t FileStream::GetLength() const {
    RequireOpen();
    return file_.GetLength();
}

uint32_t FileStream::Read(void* buffer, uint32_t count) {
    RequireOpen();
    return file_.Read(buffer, count);
}

void FileStream::Write(const void* buffer, uint32_t count) {
    RequireOpen();
    file_.Write(buffer, count);
}

uint64_t FileStream::Seek(int64_t offset, int origin) {
    RequireOpen();
    int64_t target = 0;
    switch (origin) {
        case 0: target = offset; break;
        case 1: target = static_cast<int64_t>(file_.GetPosition()) + offset; break;
        case 2: target = static_cast<int64_t>(file_.GetLength()) - offset; break;
        default: throw ArgumentException(L"origin");
    }
    return file_.Seek(target, fw::CFile::begin);
}

void FileStream::SetLength(uint64_t length) {
    RequireOpen();
    file_.SetLength(length);
}

void FileStream::Flush() {
    RequireOpen();
    file_.Flush();
}

void FileStream::Close() { file_.Close(); }
