#include <gtest/gtest.h>

#include "archive/entry_name.h"

using archive::IsSafeEntryName;

TEST(IsSafeEntryName, RejectsNamesThatLeaveTheFolderOrOpenADevice) {
    const wchar_t* unsafe[] = {
        L"..", L"../x", L"a/../../x", L"a/..", L"a\\..\\x", L"..\\x",
        L"...", L"a/.. /x", L". ./x", L"a/..  ",
        L"C:x", L"c:/x", L"x:stream", L"a/b.txt:zone", L"a:",
        L"/x", L"\\x", L"//server/share/x", L"\\\\server\\share\\x", L"\\\\?\\C:\\x",
        L"CON", L"con", L"a/Con.txt", L"NUL", L"nul.tar.gz", L"AUX", L"aux ", L"PRN .txt",
        L"COM1", L"com9.log", L"LPT1", L"lpt9", L"COM\u00B9", L"lpt\u00B3.txt",
        L"CONIN$", L"conout$.txt", L"a/b/nul",
    };
    for (const wchar_t* name : unsafe) EXPECT_FALSE(IsSafeEntryName(name)) << name;
}

TEST(IsSafeEntryName, AcceptsOrdinaryNamesThatMerelyLookSimilar) {
    const wchar_t* safe[] = {
        L"", L"a", L"a/b/c.txt", L"a/", L"a//b", L"./a", L"a/./b",
        L"..a", L"a..", L"a..b/c", L".hidden", L". x",
        L"console", L"CONFIG.SYS", L"nullable.txt", L"auxiliary", L"printer",
        L"COM", L"COM0", L"COM10", L"LPT", L"lpt0.txt", L"COMA", L"a/con_/b",
        L"资源/说明.txt",
    };
    for (const wchar_t* name : safe) EXPECT_TRUE(IsSafeEntryName(name)) << name;
}
