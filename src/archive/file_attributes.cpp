#include "archive/file_attributes.h"

namespace archive {

DWORD WindowsAttributesOf(uint32_t archiveAttributes) noexcept {
    constexpr DWORD kSettable = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE |
                                FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    const DWORD kept = static_cast<DWORD>(archiveAttributes) & kSettable;
    return kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL;
}

}  // namespace archive
