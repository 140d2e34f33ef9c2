#include <gtest/gtest.h>
#include <windows.h>

#include "config/paths.h"
#include "common/test_folder.h"

TEST(CombinePath, ExactlyOneBackslash) {
    struct Case { const wchar_t* a; const wchar_t* b; const wchar_t* joined; };
    const Case cases[] = {
        {L"C:\\a\\", L"\\b", L"C:\\a\\b"}, {L"C:\\a", L"b", L"C:\\a\\b"}, {L"C:\\a\\", L"b", L"C:\\a\\b"},
        {L"C:\\a", L"\\b", L"C:\\a\\b"},   {L"", L"b", L"b"},             {L"a", L"", L"a"},
    };
    for (const Case& c : cases) EXPECT_EQ(CombinePath(c.a, c.b), c.joined) << c.a << " + " << c.b;
}

TEST(PathParts, NamesExtensionsFolders) {
    EXPECT_EQ(FileNameOf(L"Data\\Sub\\x.7z"), L"x.7z");
    EXPECT_EQ(FileNameOf(L"x.7z"), L"x.7z");
    EXPECT_EQ(ExtensionOf(L"Data\\Sub\\x.7z"), L".7z");
    EXPECT_EQ(ExtensionOf(L"Data\\Sub\\x"), L"");
    EXPECT_EQ(ExtensionOf(L"a.tar.gz"), L".gz");
    EXPECT_EQ(FolderOf(L"C:\\g\\x.7z"), L"C:\\g");
    EXPECT_EQ(FolderOf(L"C:\\game\\data"), L"C:\\game\\data");
    EXPECT_EQ(FolderOf(L"x.7z"), L"x.7z");
}

TEST(ModuleFolder, IsTheExecutablesFolder) {
    const std::wstring path = ModulePath();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(CombinePath(ModuleFolder(), FileNameOf(path)), path);
    EXPECT_EQ(ApplicationName(), L"test_config");
}

TEST(SpecialFolders, AreFoundInShortForm) {
    const std::wstring appData = LocalAppDataFolder();
    ASSERT_FALSE(appData.empty());
    EXPECT_TRUE(PathExists(appData));
    EXPECT_EQ(appData.find(L' '), std::wstring::npos) << "short 8.3 form has no blanks";
    EXPECT_FALSE(DesktopFolder().empty());
}

TEST(CreateDirectoryTree, CreatesEveryMissingFolder) {
    TestFolder root;
    const std::wstring deep = CombinePath(root.Path(), L"a\\b\\c");
    CreateDirectoryTree(deep);
    EXPECT_TRUE(PathExists(CombinePath(root.Path(), L"a")));
    EXPECT_TRUE(PathExists(deep));
    // Existing folders and a trailing backslash are fine.
    CreateDirectoryTree(deep + L"\\");
    EXPECT_TRUE(PathExists(deep));
}

TEST(CopyFileTo, OverwritesTheDestination) {
    TestFolder root;
    const std::wstring a = root.Write(L"a.txt", "new");
    const std::wstring b = root.Write(L"b.txt", "old contents");
    EXPECT_TRUE(CopyFileTo(a, b));
    EXPECT_EQ(root.Read(L"b.txt"), "new");
    EXPECT_FALSE(CopyFileTo(CombinePath(root.Path(), L"missing"), b));
}
