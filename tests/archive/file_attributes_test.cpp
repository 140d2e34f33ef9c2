#include <gtest/gtest.h>

#include "archive/file_attributes.h"

TEST(WindowsAttributesOf, KeepsOnlyTheAttributesWindowsCanSet) {
    struct Case { uint32_t archived; DWORD applied; };
    const Case cases[] = {
        {0x00000020, FILE_ATTRIBUTE_ARCHIVE},
        {0x00000021, FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY},
        {0x00000007, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM},
        {0x00002100, FILE_ATTRIBUTE_NOT_CONTENT_INDEXED | FILE_ATTRIBUTE_TEMPORARY},
        {0x00000000, FILE_ATTRIBUTE_NORMAL},
        {0x00000080, FILE_ATTRIBUTE_NORMAL},
        // Made on Unix: mode 0644 or 0444 in the high bits, flagged by 0x8000.
        {0x81A48020, FILE_ATTRIBUTE_ARCHIVE},
        {0x81248021, FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY},
        {0x81ED8000, FILE_ATTRIBUTE_NORMAL},
        // Reported by Windows, never set by a program: folder, compressed, reparse point, sparse.
        {0x00000C30, FILE_ATTRIBUTE_ARCHIVE},
        {0x00000210, FILE_ATTRIBUTE_NORMAL},
    };
    for (const Case& c : cases) EXPECT_EQ(archive::WindowsAttributesOf(c.archived), c.applied) << std::hex << c.archived;
}
