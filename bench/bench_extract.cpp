// 7z extraction: the loader's ExtractArchive against the LZMA SDK's decoder
// alone on the same archive.
//
//   bench_extract product <archive> <output folder>
//       ExtractArchiveWith (ExtractArchive's body) through counting
//       allocators: every entry written to disk, as the loader does.
//   bench_extract decoder <archive>
//       The SDK alone, called directly: the archive database opened and every
//       entry's bytes extracted into memory (SzArEx_Extract, which decodes each
//       solid block once and checks each entry's CRC), nothing written.
//
// Prints: RESULT seconds=<s> bytes=<unpacked bytes> files=<entries>
//         block=<largest unpacked solid block> peak=<most bytes held by the
//         decoder's allocators at once> code=<result>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "7z.h"
#include "7zCrc.h"
#include "7zFile.h"
#include "archive/extract.h"
#include "archive/extract_with_allocators.h"
#include "bench_common.h"

namespace {

// Bytes held through the allocators, and the most ever held at once. Each
// block carries its size in front of it.
struct Held {
    uint64_t now = 0;
    uint64_t peak = 0;
};
Held g_held;

constexpr size_t kHeader = 16;

void* CountingAlloc(ISzAllocPtr, size_t size) noexcept {
    unsigned char* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
    if (!block) return nullptr;
    *reinterpret_cast<size_t*>(block) = size;
    g_held.now += size;
    if (g_held.now > g_held.peak) g_held.peak = g_held.now;
    return block + kHeader;
}

void CountingFree(ISzAllocPtr, void* address) noexcept {
    if (!address) return;
    unsigned char* block = static_cast<unsigned char*>(address) - kHeader;
    g_held.now -= *reinterpret_cast<size_t*>(block);
    std::free(block);
}

const ISzAlloc kCounting = {CountingAlloc, CountingFree};

// Unpacked bytes, entries and the largest solid block, read with the SDK
// before anything is timed.
struct Shape {
    uint64_t bytes = 0;
    uint64_t files = 0;
    uint64_t block = 0;
};

struct OpenArchive {
    CFileInStream file;
    CLookToRead2 look;
    CSzArEx db;
    Byte* lookBuffer = nullptr;

    OpenArchive() {
        File_Construct(&file.file);
        FileInStream_CreateVTable(&file);
        file.wres = 0;
        LookToRead2_CreateVTable(&look, False);
        look.realStream = &file.vt;
        SzArEx_Init(&db);
    }
    ~OpenArchive() {
        SzArEx_Free(&db, &kCounting);
        ISzAlloc_Free(&kCounting, lookBuffer);
        File_Close(&file.file);
    }
    // The same look-ahead size as the loader's reader, so that both read the
    // archive file alike.
    SRes Open(const std::wstring& path) {
        if (InFile_OpenW(&file.file, path.c_str()) != 0) return SZ_ERROR_READ;
        const size_t size = size_t(1) << 20;
        lookBuffer = static_cast<Byte*>(ISzAlloc_Alloc(&kCounting, size));
        if (!lookBuffer) return SZ_ERROR_MEM;
        look.buf = lookBuffer;
        look.bufSize = size;
        LookToRead2_INIT(&look);
        return SzArEx_Open(&db, &look.vt, &kCounting, &kCounting);
    }
};

SRes Measure(const std::wstring& path, Shape& shape) {
    OpenArchive archive;
    const SRes result = archive.Open(path);
    if (result != SZ_OK) return result;
    shape.files = archive.db.NumFiles;
    for (UInt32 i = 0; i < archive.db.NumFiles; ++i) shape.bytes += SzArEx_GetFileSize(&archive.db, i);
    for (UInt32 f = 0; f < archive.db.db.NumFolders; ++f) {
        const uint64_t size = SzAr_GetFolderUnpackSize(&archive.db.db, f);
        if (size > shape.block) shape.block = size;
    }
    return SZ_OK;
}

SRes DecodeAlone(const std::wstring& path) {
    OpenArchive archive;
    SRes result = archive.Open(path);
    UInt32 blockIndex = 0xFFFFFFFF;
    Byte* block = nullptr;
    size_t blockSize = 0;
    for (UInt32 i = 0; result == SZ_OK && i < archive.db.NumFiles; ++i) {
        if (SzArEx_IsDir(&archive.db, i)) continue;
        size_t offset = 0;
        size_t size = 0;
        result = SzArEx_Extract(&archive.db, &archive.look.vt, i, &blockIndex, &block, &blockSize, &offset, &size,
                                &kCounting, &kCounting);
    }
    ISzAlloc_Free(&kCounting, block);
    return result;
}

void Print(double seconds, const Shape& shape, int code) {
    bench::Report(bench::Field("seconds", seconds) + bench::Field("bytes", shape.bytes) +
                  bench::Field("files", shape.files) + bench::Field("block", shape.block) +
                  bench::Field("peak", g_held.peak) + bench::Field("code", static_cast<uint64_t>(code)));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    if (argc < 3 || (mode == L"product" && argc != 4) || (mode != L"product" && mode != L"decoder")) {
        return bench::Usage("bench_extract product <archive> <folder> | decoder <archive>");
    }
    CrcGenerateTable();
    Shape shape;
    if (Measure(argv[2], shape) != SZ_OK) {
        std::fprintf(stderr, "bench_extract: cannot read the archive\n");
        return 1;
    }
    g_held = Held();

    int code = 0;
    const double start = bench::Now();
    if (mode == L"product") {
        code = ExtractArchiveWith(argv[2], argv[3], kCounting, kCounting);
    } else {
        code = DecodeAlone(argv[2]);
    }
    const double seconds = bench::Now() - start;
    Print(seconds, shape, code);
    return code == 0 ? 0 : 1;
}
