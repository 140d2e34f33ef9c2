#pragma once
// The attributes an archive records for an entry, as Windows can set them.
#include <windows.h>

#include <cstdint>

namespace archive {

// Archives made on Unix-like systems carry the file's mode in the high 16 bits
// (flagged by 0x8000); those bits, and the ones Windows only reports (folder,
// compressed, reparse point...), would mean something else to
// SetFileAttributesW or make it fail. Only the settable ones are kept:
// read-only, hidden, system, archive, temporary, offline and not indexed.
// FILE_ATTRIBUTE_NORMAL when none is left.
DWORD WindowsAttributesOf(uint32_t archiveAttributes) noexcept;

}  // namespace archive
