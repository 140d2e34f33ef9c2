#pragma once
// One open 7z archive as the decoder sees it: the file, the look-ahead reader
// over it, the archive database and the cached solid block. Everything is
// released by the destructor, whatever state Open left it in.
#include <cstdint>
#include <string>

#include "7z.h"
#include "7zFile.h"
#include "archive/sdk_memory.h"

namespace archive {

class ArchiveReader {
public:
    // The allocators must outlive the reader. The main one holds the database
    // and the decoded block; the temporary one what opening and decoding
    // need for a moment.
    ArchiveReader(const ISzAlloc& allocMain, const ISzAlloc& allocTemp) noexcept;
    ~ArchiveReader();
    // The decoder keeps pointers into this object.
    ArchiveReader(const ArchiveReader&) = delete;
    ArchiveReader& operator=(const ArchiveReader&) = delete;

    // Opens the file for shared reading and reads the archive's database.
    // 0; 6 when the file cannot be opened; 2 out of memory; otherwise the
    // decoder's code (17 not an archive, 16 damaged headers, 4 unsupported...).
    int Open(const std::wstring& path) noexcept;

    uint32_t Count() const noexcept { return database_.NumFiles; }
    bool IsDirectory(uint32_t index) const noexcept;
    // False for directories and for empty files that lie outside every block.
    bool HasData(uint32_t index) const noexcept;
    // False when the archive does not record them.
    bool GetAttributes(uint32_t index, uint32_t* attributes) const noexcept;

    // The entry's UTF-16 name, staged in `buffer`, which grows when the name
    // does not fit. False only when growing fails.
    bool ReadName(uint32_t index, SdkBuffer& buffer, std::wstring& name) const;

    // The entry's bytes, pointing into the cached block, which is decoded only
    // when the entry lies in another block than the last one. The pointer is
    // valid until the next call. 0, or the decoder's code (1 data error,
    // 2 out of memory, 3 CRC error, 4 unsupported method...).
    int ReadData(uint32_t index, const Byte** data, size_t* size) noexcept;

private:
    const ISzAlloc& allocMain_;
    const ISzAlloc& allocTemp_;
    CFileInStream file_;
    CLookToRead2 look_;
    SdkBuffer lookBuffer_;
    CSzArEx database_;
    SdkBuffer block_;
    UInt32 blockIndex_ = static_cast<UInt32>(-1);
};

}  // namespace archive
