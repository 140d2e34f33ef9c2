#include <gtest/gtest.h>

#include "common/test_folder.h"
#include "config/paths.h"
#include "config/settings.h"
#include "config/text.h"

namespace {

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override { AppSettings() = Settings(); }
    void TearDown() override { AppSettings() = Settings(); }

    // Writes setting.ini (UTF-16 with BOM, as the profile API reads it) and loads it.
    void Load(const std::wstring& body) {
        std::wstring text = L"\xFEFF[Root]\r\n" + body;
        std::string bytes(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
        ASSERT_TRUE(LoadSettings(folder.Write(L"setting.ini", bytes)));
    }

    TestFolder folder;
};

}  // namespace

TEST_F(SettingsTest, EmptyFileGivesEveryDefault) {
    Load(L"");
    const Settings& s = AppSettings();
    EXPECT_EQ(s.settingsPath, CombinePath(folder.Path(), L"setting.ini"));
    EXPECT_EQ(s.baseUrl, DefaultBaseUrl());
    EXPECT_EQ(s.baseUrl.back(), L'/');
    EXPECT_TRUE(s.autoUpdate);
    EXPECT_TRUE(s.coverClientConfig);
    EXPECT_EQ(s.clientConfigFileName, L"ClientConfig.txt");
    EXPECT_EQ(s.programName, L"Zav3DLauncher.exe");
    EXPECT_EQ(s.folderPath, L"%appdata%");
    EXPECT_EQ(s.makeFileShortPath, L"Brimvale_Data\\StreamingAssets");
    EXPECT_EQ(s.makeFiles, (std::vector<std::wstring>{L"HotFixList.txt", L"ResourceList.txt"}));
    EXPECT_TRUE(s.autoLauncher);
    EXPECT_FALSE(s.install);
    EXPECT_EQ(s.rxFolder, L"Qelo\\Brimvale");
    EXPECT_EQ(s.rxName, L"QeloOrvane3D.lnk");
    EXPECT_EQ(ClientRootFolder(), CombinePath(LocalAppDataFolder(), L"Qelo\\Brimvale"));
}

TEST_F(SettingsTest, BooleansAreTrueOnlyForTheWordTrue) {
    struct Case { const wchar_t* value; bool expected; };
    const Case cases[] = {{L"TRUE", true}, {L"true", true}, {L"True", true}, {L"1", false},
                          {L"yes", false}, {L"", false},    {L"false", false}};
    for (const Case& c : cases) {
        AppSettings() = Settings();
        Load(std::wstring(L"AutoUpdate=") + c.value + L"\r\nInstall=" + c.value + L"\r\n");
        EXPECT_EQ(AppSettings().autoUpdate, c.expected) << c.value;
        EXPECT_EQ(AppSettings().install, c.expected) << c.value;
    }
}

TEST_F(SettingsTest, MakeFilesDropsEmptyPieces) {
    Load(L"MakeFiles=a.txt,,b.txt,\r\n");
    EXPECT_EQ(AppSettings().makeFiles, (std::vector<std::wstring>{L"a.txt", L"b.txt"}));
}

TEST_F(SettingsTest, LongValuesAreCutTo255Characters) {
    Load(L"ProgramName=" + std::wstring(300, L'p') + L"\r\n");
    EXPECT_EQ(AppSettings().programName, std::wstring(255, L'p'));
}

TEST_F(SettingsTest, FolderPathFormsGiveTheClientRootFolder) {
    struct Case { std::wstring value; std::wstring root; };
    const std::wstring perUser = CombinePath(LocalAppDataFolder(), L"Qelo\\Brimvale");
    const std::wstring explicitFolder = CombinePath(folder.Path(), L"Games\\X");
    const Case cases[] = {
        {L".", ModuleFolder()},
        {L"", ModuleFolder()},
        {L"%AppData%", perUser},
        {L"%APPDATA%", perUser},
        {explicitFolder, ToLowerText(explicitFolder)},
    };
    for (const Case& c : cases) {
        AppSettings() = Settings();
        Load(L"FolderPath=" + c.value + L"\r\n");
        EXPECT_EQ(ClientRootFolder(), c.root) << c.value;
        EXPECT_TRUE(PathExists(c.root)) << "the client root folder is created: " << c.value;
    }
    EXPECT_EQ(ProgramPath(), CombinePath(ToLowerText(explicitFolder), L"Zav3DLauncher.exe"));
}

TEST_F(SettingsTest, MissingFileFallsBackToThePerUserFolderWithoutWriting) {
    const std::wstring perUser = CombinePath(LocalAppDataFolder(), L"Qelo\\Brimvale");
    ASSERT_TRUE(LoadSettings(CombinePath(folder.Path(), L"setting.ini")));
    EXPECT_EQ(AppSettings().settingsPath, CombinePath(perUser, L"setting.ini"));
    EXPECT_TRUE(PathExists(perUser));
    EXPECT_FALSE(PathExists(AppSettings().settingsPath));
    EXPECT_FALSE(PathExists(CombinePath(folder.Path(), L"setting.ini")));
}

TEST_F(SettingsTest, WriteBackGoesToSectionRoot) {
    Load(L"Install=False\r\n");
    EXPECT_TRUE(WriteSetting(L"BaseUrl2", L"http://example.invalid/p/"));
    EXPECT_TRUE(WriteSetting(L"Install", L"True"));
    AppSettings() = Settings();
    ASSERT_TRUE(LoadSettings(CombinePath(folder.Path(), L"setting.ini")));
    EXPECT_TRUE(AppSettings().install);
    EXPECT_EQ(AppSettings().baseUrl, L"http://example.invalid/p/");
}
