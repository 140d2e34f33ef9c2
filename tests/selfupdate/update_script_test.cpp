#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "common/test_folder.h"
#include "config/paths.h"
#include "config/text.h"
#include "selfupdate/update_script.h"
#include "test_data.h"

namespace {

const wchar_t kOldPath[] = L"C:\\Program Files (x86)\\游戏 客户端\\Zav3D 登录器.exe";
const wchar_t kNewPath[] = L"C:\\Program Files (x86)\\游戏 客户端\\NewFile.exe";

std::wstring SubFolder(const TestFolder& parent, const std::wstring& name) {
    const std::wstring folder = CombinePath(parent.Path(), name);
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

}  // namespace

TEST(BuildUpdateScript, MatchesTheFixtureByteForByteInCodePage936) {
    const std::string expected = ReadBytes(TestDataPath(L"selfupdate\\fixtures\\update_936.bat"));
    ASSERT_NE(expected, "<unreadable>") << "fixture missing";
    const std::wstring script = BuildUpdateScript(kNewPath, kOldPath);
    EXPECT_EQ(NarrowFromWide(script, 936), expected);

    // 30 lines, every one of them (the last included) ending in CR LF, no bare LF.
    const std::vector<std::wstring> lines = SplitText(script, L"\r\n");
    ASSERT_EQ(lines.size(), 31u);
    EXPECT_EQ(lines.back(), L"");
    for (const std::wstring& line : lines) EXPECT_EQ(line.find_first_of(L"\r\n"), std::wstring::npos);
}

TEST(BuildUpdateScript, DoublesPercentSignsSoCmdKeepsThePath) {
    const std::vector<std::wstring> lines =
        SplitText(BuildUpdateScript(L"D:\\100% fun\\NewFile.exe", L"D:\\100% fun\\a%b%.exe"), L"\r\n");
    EXPECT_EQ(lines[1], L"set old_path=\"D:\\100%% fun\\a%%b%%.exe\"");
    EXPECT_EQ(lines[2], L"set new_path=\"D:\\100%% fun\\NewFile.exe\"");
    EXPECT_EQ(lines[10], L"del %old_path%");  // the script's own variables stay as they are
}

TEST(WriteUpdateScript, WritesTheAnsiBytesAndTruncatesAnOlderScript) {
    TestFolder root;
    const std::wstring folder = SubFolder(root, L"script 脚本");
    const std::wstring path = CombinePath(folder, L"update.bat");
    const std::string expected = ReadBytes(TestDataPath(L"selfupdate\\fixtures\\update_936.bat"));
    ASSERT_NE(expected, "<unreadable>");

    // An older, longer script left behind must not leave its tail in the new one.
    ASSERT_TRUE(WriteUpdateScript(path, std::wstring(2000, L'x'), 936));
    ASSERT_TRUE(WriteUpdateScript(path, BuildUpdateScript(kNewPath, kOldPath), 936));
    EXPECT_EQ(ReadBytes(path), expected);

    // The default is the thread's ANSI code page: the same bytes on a Chinese system.
    if (::GetACP() == 936) {
        ASSERT_TRUE(WriteUpdateScript(path, BuildUpdateScript(kNewPath, kOldPath)));
        EXPECT_EQ(ReadBytes(path), expected);
    }
}

TEST(WriteUpdateScript, FailsWhereTheFileCannotBeCreated) {
    // A folder in the script's place stands for a folder the player may not write to.
    TestFolder folder;
    const std::wstring path = CombinePath(folder.Path(), L"update.bat");
    ::CreateDirectoryW(path.c_str(), nullptr);
    EXPECT_FALSE(WriteUpdateScript(path, L"exit\r\n"));
    EXPECT_FALSE(WriteUpdateScript(CombinePath(folder.Path(), L"missing\\update.bat"), L"exit\r\n"));
}

TEST(SurvivesCodePage, OnlyTextTheCodePageCanSpell) {
    EXPECT_TRUE(SurvivesCodePage(L"My Loader.exe", 1252));
    EXPECT_TRUE(SurvivesCodePage(L"我的 Loader.exe", 936));
    EXPECT_FALSE(SurvivesCodePage(L"我的 Loader.exe", 1252));
    EXPECT_FALSE(SurvivesCodePage(L"Loader\u0101.exe", 1252));  // no best-fit "a" in place of a-macron
}

TEST(ScriptablePath, KeepsWhatTheCodePageCanSpellAndNeverWritesALossyPath) {
    TestFolder root;
    const std::wstring folder = SubFolder(root, L"游戏 登录器");

    EXPECT_EQ(ScriptablePath(L"C:\\Games\\Loader", 1252), L"C:\\Games\\Loader");
    EXPECT_EQ(ScriptablePath(folder, 936), folder);

    // Western code page: the short form when the file system has an ASCII one,
    // otherwise nothing; never the long path with "?" in place of the Chinese.
    const std::wstring western = ScriptablePath(folder, 1252);
    if (!western.empty()) {
        EXPECT_TRUE(SurvivesCodePage(western, 1252));
        wchar_t longPath[MAX_PATH] = {};
        ASSERT_NE(::GetLongPathNameW(western.c_str(), longPath, MAX_PATH), 0u);
        EXPECT_EQ(ToLowerText(longPath), ToLowerText(folder));
    }
    EXPECT_EQ(ScriptablePath(CombinePath(folder, L"不存在"), 1252), L"");
}
