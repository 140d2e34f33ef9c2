#pragma once
// ExtractArchive with the decoder's allocators supplied by the caller, so that
// tests and benchmarks can count, bound or fail its allocations.
#include <string>

#include "7zTypes.h"

// As ExtractArchive (same codes). The main allocator holds the archive
// database, the decoded block, the look-ahead and name buffers; the temporary
// one what the decoder needs while opening and decoding. Their functions must
// not throw.
int ExtractArchiveWith(const std::wstring& archivePath, const std::wstring& outputFolder,
                       const ISzAlloc& allocMain, const ISzAlloc& allocTemp) noexcept;
