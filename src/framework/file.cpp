#include "framework/file.h"

#include "framework/exceptions.h"

namespace fw {

CFile::CFile(const std::wstring& path, unsigned flags) {
    DWORD error = 0;
    if (!Open(path, flags, &error)) throw CFileException(error, path);
}

bool CFile::Open(const std::wstring& path, unsigned flags, DWORD* error) {
    Close();
    DWORD access = GENERIC_READ;
    if (flags & modeWrite) access = GENERIC_WRITE;
    if (flags & modeReadWrite) access = GENERIC_READ | GENERIC_WRITE;
    DWORD share = 0;
    switch (flags & 0x70) {
        case shareDenyWrite: share = FILE_SHARE_READ; break;
        case shareDenyRead: share = FILE_SHARE_WRITE; break;
        case shareDenyNone: share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE; break;
        default: share = 0; break;
    }
    const DWORD disposition = (flags & modeCreate) ? CREATE_ALWAYS : OPEN_EXISTING;
    HANDLE h = ::CreateFileW(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        if (error) *error = ::GetLastError();
        return false;
    }
    handle_.Reset(h);
    path_ = path;
    return true;
}

void CFile::Fail() const { throw CFileException(::GetLastError(), path_); }

uint32_t CFile::Read(void* buffer, uint32_t count) {
    DWORD read = 0;
    if (!::ReadFile(handle_.Get(), buffer, count, &read, nullptr)) Fail();
    return read;
}

void CFile::Write(const void* buffer, uint32_t count) {
    DWORD written = 0;
    if (!::WriteFile(handle_.Get(), buffer, count, &written, nullptr) || written != count) Fail();
}

uint64_t CFile::Seek(int64_t offset, SeekOrigin origin) {
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    LARGE_INTEGER position{};
    if (!::SetFilePointerEx(handle_.Get(), distance, &position, static_cast<DWORD>(origin))) Fail();
    return static_cast<uint64_t>(position.QuadPart);
}

uint64_t CFile::GetPosition() const {
    LARGE_INTEGER zero{};
    LARGE_INTEGER position{};
    if (!::SetFilePointerEx(handle_.Get(), zero, &position, FILE_CURRENT)) Fail();
    return static_cast<uint64_t>(position.QuadPart);
}

uint64_t CFile::GetLength() const {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(handle_.Get(), &size)) Fail();
    return static_cast<uint64_t>(size.QuadPart);
}

void CFile::SetLength(uint64_t length) {
    const uint64_t keep = GetPosition();
    Seek(static_cast<int64_t>(length), begin);
    if (!::SetEndOfFile(handle_.Get())) Fail();
    Seek(static_cast<int64_t>(keep < length ? keep : length), begin);
}

void CFile::Flush() {
    if (!::FlushFileBuffers(handle_.Get())) Fail();
}

void CFile::Close() {
    handle_.Reset();
    path_.clear();
}

}  // namespace fw
