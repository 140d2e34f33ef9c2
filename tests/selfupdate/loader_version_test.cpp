#include <gtest/gtest.h>

#include <windows.h>

#include <stdexcept>
#include <string>

#include "config/paths.h"
#include "selfupdate/loader_version.h"
#include "version.h"  // the version resource this test executable was built with

#include "version_printer.h"

namespace {

LoaderVersion V(uint16_t a, uint16_t b, uint16_t c, uint16_t d) { return LoaderVersion{a, b, c, d}; }

}  // namespace

TEST(ParseVersion, ReadsFieldsLikeAtoiKeepingLow16Bits) {
    struct Case { const wchar_t* text; LoaderVersion version; };
    const Case cases[] = {
        {L"1.2.3.4", V(1, 2, 3, 4)},
        {L" 1.2.3.4", V(1, 2, 3, 4)},        // leading blank skipped by the number reading
        {L"1. 2.\t3.4", V(1, 2, 3, 4)},
        {L"1..3.4", V(1, 0, 3, 4)},          // empty field reads as 0
        {L"1.2.3.x4", V(1, 2, 3, 0)},
        {L"1.2.3.4beta", V(1, 2, 3, 4)},
        {L"65536.65535.65537.0", V(0, 65535, 1, 0)},
        {L"-1.0.0.+7", V(65535, 0, 0, 7)},
        {L"...", V(0, 0, 0, 0)},
        {L"1.0.0.1\r\n", V(1, 0, 0, 1)},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseVersion(c.text), c.version) << c.text;
}

TEST(ParseVersion, RejectsAnythingButFourFields) {
    for (const wchar_t* text : {L"1.2.3", L"1.2.3.4.5", L"", L"1", L"1.2.3.4.", L"1,2,3,4"}) {
        try {
            ParseVersion(text);
            ADD_FAILURE() << "accepted: " << testing::PrintToString(std::wstring(text));
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "format error!");
        }
    }
}

TEST(LoaderVersion, OrdersLexicographicallyMajorFirst) {
    struct Case { LoaderVersion a, b; int order; };  // sign of a compared with b
    const Case cases[] = {
        {V(1, 0, 0, 10), V(1, 0, 0, 9), 1},
        {V(1, 0, 1, 0), V(1, 0, 0, 99), 1},
        {V(1, 0, 0, 9), V(1, 0, 0, 9), 0},
        {V(0, 9, 9, 9), V(1, 0, 0, 0), -1},
        {V(1, 2, 0, 0), V(1, 1, 65535, 65535), 1},
        {V(65535, 0, 0, 0), V(1, 65535, 65535, 65535), 1},  // unsigned: 65535 is not -1
        {V(2, 0, 0, 0), V(10, 0, 0, 0), -1},                // numeric, not textual
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.a) + " vs " + testing::PrintToString(c.b));
        EXPECT_EQ(c.a > c.b, c.order > 0);
        EXPECT_EQ(c.a < c.b, c.order < 0);
        EXPECT_EQ(c.a == c.b, c.order == 0);
        EXPECT_EQ(c.a != c.b, c.order != 0);
        EXPECT_EQ(c.a >= c.b, c.order >= 0);
        EXPECT_EQ(c.a <= c.b, c.order <= 0);
    }
}

TEST(LoaderVersion, TextFormRoundTrips) {
    EXPECT_EQ(VersionToText(V(1, 0, 65535, 7)), L"1.0.65535.7");
    EXPECT_EQ(ParseVersion(VersionToText(V(3, 20, 100, 4000))), V(3, 20, 100, 4000));
}

TEST(GetRunningLoaderVersion, IsTheProductVersionOfThisExecutable) {
    LoaderVersion running;
    ASSERT_TRUE(GetRunningLoaderVersion(running));
    EXPECT_EQ(running, V(ZAV3D_VERSION_MAJOR, ZAV3D_VERSION_MINOR, ZAV3D_VERSION_BUILD, ZAV3D_VERSION_REVISION));
}

TEST(ReadProductVersion, FailsForFilesWithoutVersionResource) {
    wchar_t folder[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, folder);
    const std::wstring path = CombinePath(folder, L"no_version_resource.exe");
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ::WriteFile(file, "MZ not really", 13, &written, nullptr);
    ::CloseHandle(file);

    LoaderVersion version = V(9, 9, 9, 9);
    EXPECT_FALSE(ReadProductVersion(path, version));
    EXPECT_EQ(version, V(9, 9, 9, 9));  // left untouched
    EXPECT_FALSE(ReadProductVersion(CombinePath(folder, L"does_not_exist.exe"), version));
    ::DeleteFileW(path.c_str());
}
