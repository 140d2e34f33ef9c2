#include "archive/archive_reader.h"

#include "7zCrc.h"

namespace archive {
namespace {

// The decoder asks for at most 256 KiB at a time; a larger buffer only saves
// reads of the archive file.
constexpr size_t kLookAheadSize = size_t(1) << 20;

// The CRC table is process-wide; built once, so that two extractions never
// write it while the other one reads it.
void EnsureCrcTable() noexcept {
    static const bool built = (CrcGenerateTable(), true);
    (void)built;
}

}  // namespace

ArchiveReader::ArchiveReader(const ISzAlloc& allocMain, const ISzAlloc& allocTemp) noexcept
    : allocMain_(allocMain), allocTemp_(allocTemp), lookBuffer_(allocMain), block_(allocMain) {
    File_Construct(&file_.file);
    FileInStream_CreateVTable(&file_);
    file_.wres = 0;
    LookToRead2_CreateVTable(&look_, False);
    look_.realStream = &file_.vt;
    look_.buf = nullptr;
    look_.bufSize = 0;
    LookToRead2_INIT(&look_);
    SzArEx_Init(&database_);
}

ArchiveReader::~ArchiveReader() {
    block_.Reset();
    SzArEx_Free(&database_, &allocMain_);
    File_Close(&file_.file);  // harmless when the file was never opened
}

int ArchiveReader::Open(const std::wstring& path) noexcept {
    if (InFile_OpenW(&file_.file, path.c_str()) != 0) return 6;
    if (!lookBuffer_.Allocate(kLookAheadSize)) return SZ_ERROR_MEM;
    look_.buf = lookBuffer_.Get();
    look_.bufSize = lookBuffer_.Size();
    LookToRead2_INIT(&look_);
    EnsureCrcTable();
    return SzArEx_Open(&database_, &look_.vt, &allocMain_, &allocTemp_);
}

bool ArchiveReader::IsDirectory(uint32_t index) const noexcept { return SzArEx_IsDir(&database_, index); }

bool ArchiveReader::HasData(uint32_t index) const noexcept {
    return !IsDirectory(index) && database_.FileToFolder[index] != static_cast<UInt32>(-1);
}

bool ArchiveReader::GetAttributes(uint32_t index, uint32_t* attributes) const noexcept {
    if (!SzBitWithVals_Check(&database_.Attribs, index)) return false;
    *attributes = database_.Attribs.Vals[index];
    return true;
}

bool ArchiveReader::ReadName(uint32_t index, SdkBuffer& buffer, std::wstring& name) const {
    const size_t length = SzArEx_GetFileNameUtf16(&database_, index, nullptr);  // zero included
    if (length * sizeof(UInt16) > buffer.Size() && !buffer.Allocate(length * sizeof(UInt16))) return false;
    UInt16* text = reinterpret_cast<UInt16*>(buffer.Get());
    SzArEx_GetFileNameUtf16(&database_, index, text);
    name.assign(text, text + (length > 0 ? length - 1 : 0));
    return true;
}

int ArchiveReader::ReadData(uint32_t index, const Byte** data, size_t* size) noexcept {
    size_t offset = 0;
    size_t length = 0;
    const SRes result = SzArEx_Extract(&database_, &look_.vt, index, &blockIndex_, block_.PutBytes(),
                                       block_.PutSize(), &offset, &length, &allocMain_, &allocTemp_);
    if (result != SZ_OK) {
        // The decoder keeps a block it failed to decode marked as cached.
        block_.Reset();
        blockIndex_ = static_cast<UInt32>(-1);
        return result;
    }
    *data = block_.Get() + offset;
    *size = length;
    return 0;
}

}  // namespace archive
