#include "archive/extract.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <new>

#include "archive/archive_reader.h"
#include "archive/entry_name.h"
#include "archive/extract_with_allocators.h"
#include "archive/file_attributes.h"
#include "archive/sdk_memory.h"
#include "config/paths.h"
#include "config/text.h"
#include "framework/unique_any.h"

namespace {

constexpr size_t kMaxWriteChunk = 0x400000;  // 4 MiB per WriteFile

// The listing line has no reader in the windowed program; a name that cannot
// be converted still fails the extraction, as it always has.
int ListEntry(const std::wstring& name) {
    std::string line = NarrowFromWide(name, CP_OEMCP);
    if (line.empty() && !name.empty()) return kExtractCannotWrite;
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stdout);
    return kExtractOk;
}

// Creates the folders along the name and returns it with "\" separators.
// Creation errors are ignored: an existing folder is the usual case, and a
// missing one makes the file under it fail.
std::wstring CreateFoldersAlong(const std::wstring& outputFolder, std::wstring name) {
    for (size_t i = 0; i < name.size(); ++i) {
        if (!archive::IsEntrySeparator(name[i])) continue;
        name[i] = L'\\';
        ::CreateDirectoryW(CombinePath(outputFolder, name.substr(0, i)).c_str(), nullptr);
    }
    return name;
}

// A new file gets the entry's attributes at creation: setting them afterwards
// costs another open and close per file, which dominates archives of many
// small files. A file created read-only can still be written through the
// handle that created it.
int WriteEntryFile(const std::wstring& path, const Byte* data, size_t size, DWORD attributes) noexcept {
    // Windows refuses to replace a read-only file; wine run by root does not.
    // Asking first gives the same answer everywhere.
    const DWORD existing = ::GetFileAttributesW(path.c_str());
    if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_READONLY) != 0) {
        return kExtractCannotCreate;
    }
    // Windows also refuses to replace a hidden or system file unless the same
    // flags are asked for again; flags the entry no longer has are cleared
    // first, so the file ends with exactly the entry's attributes.
    constexpr DWORD kGuarded = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
        (existing & kGuarded & ~attributes) != 0) {
        const DWORD kept = existing & ~kGuarded;
        ::SetFileAttributesW(path.c_str(), kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL);
    }
    fw::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                      attributes, nullptr));
    if (!file) return kExtractCannotCreate;
    while (size > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min(size, kMaxWriteChunk));
        DWORD written = 0;
        if (!::WriteFile(file.Get(), data, chunk, &written, nullptr) || written != chunk) {
            return kExtractCannotWrite;
        }
        data += chunk;
        size -= chunk;
    }
    if (!::CloseHandle(file.Release())) return kExtractCannotWrite;
    // Creation applies the attributes only to a new file; a replaced one
    // keeps its own. Not fatal: the bytes are in place, only a flag is missing.
    if (existing != INVALID_FILE_ATTRIBUTES) ::SetFileAttributesW(path.c_str(), attributes);
    return kExtractOk;
}

int ExtractEntries(archive::ArchiveReader& reader, const std::wstring& outputFolder, const ISzAlloc& allocMain) {
    archive::SdkBuffer nameBuffer(allocMain);
    std::wstring name;

    // The names come from a server: every one is vetted before the first write.
    for (uint32_t i = 0; i < reader.Count(); ++i) {
        if (!reader.ReadName(i, nameBuffer, name)) return kExtractOutOfMemory;
        if (!archive::IsSafeEntryName(name)) return kExtractArchiveError;
    }

    for (uint32_t i = 0; i < reader.Count(); ++i) {
        if (!reader.ReadName(i, nameBuffer, name)) return kExtractOutOfMemory;
        int result = ListEntry(name);
        if (result != kExtractOk) return result;

        // Folders and empty files outside any block have no bytes to decode.
        const Byte* data = nullptr;
        size_t size = 0;
        if (reader.HasData(i)) {
            result = reader.ReadData(i, &data, &size);
            if (result != kExtractOk) return result;
        }

        const std::wstring destination = CombinePath(outputFolder, CreateFoldersAlong(outputFolder, name));
        if (reader.IsDirectory(i)) {
            ::CreateDirectoryW(destination.c_str(), nullptr);  // an existing folder is fine
            continue;
        }
        uint32_t archived = 0;
        const DWORD attributes =
            reader.GetAttributes(i, &archived) ? archive::WindowsAttributesOf(archived) : FILE_ATTRIBUTE_NORMAL;
        result = WriteEntryFile(destination, data, size, attributes);
        if (result != kExtractOk) return result;
    }
    return kExtractOk;
}

}  // namespace

int ExtractArchiveWith(const std::wstring& archivePath, const std::wstring& outputFolder,
                       const ISzAlloc& allocMain, const ISzAlloc& allocTemp) noexcept {
    try {
        archive::ArchiveReader reader(allocMain, allocTemp);
        const int result = reader.Open(archivePath);
        if (result != kExtractOk) return result;
        return ExtractEntries(reader, outputFolder, allocMain);
    } catch (const std::bad_alloc&) {
        return kExtractOutOfMemory;  // the names and paths on the C++ heap
    }
}

int ExtractArchive(const std::wstring& archivePath, const std::wstring& outputFolder) {
    const ISzAlloc& heap = archive::PlainHeapAllocator();
    return ExtractArchiveWith(archivePath, outputFolder, heap, heap);
}
