#include <gtest/gtest.h>

#include <cwctype>
#include <string>
#include <vector>

#include "config/paths.h"
#include "config/text.h"
#include "framework/exceptions.h"
#include "update/file_task.h"
#include "update/update_error.h"
#include "update/update_messages.h"
#include "update_fixture.h"

using FileTask = UpdateFixture;
using Lines = std::vector<std::wstring>;

namespace {

// The message of the UpdateError that Download raises, or "" without one.
std::string DownloadFailure(FileEntry& entry) {
    try {
        Download(entry);
    } catch (const UpdateError& e) {
        return e.what();
    }
    return std::string();
}

}  // namespace

TEST_F(FileTask, ResolvePathsForms) {
    const std::wstring base = AppSettings().baseUrl;
    ASSERT_EQ(base.substr(base.size() - 3), L"/p/");

    FileEntry nested(L"Data\\Sub\\a.bin", L"h", 1, 2);
    ResolvePaths(nested);
    EXPECT_TRUE(nested.resolved);
    EXPECT_EQ(nested.url, base + L"Data\\Sub\\a.bin");  // backslashes kept
    EXPECT_EQ(nested.localPath, Root() + L"\\Data\\Sub\\a.bin");
    EXPECT_TRUE(FolderExists(Local(L"Data\\Sub")));
    EXPECT_FALSE(FileExists(nested.localPath));  // folders only

    FileEntry flat(L"a.bin", L"h", 1, 2);
    ResolvePaths(flat);
    EXPECT_EQ(flat.url, base + L"a.bin");
    EXPECT_EQ(flat.localPath, Root() + L"\\a.bin");

    FileEntry existing(L"Data\\b.bin", L"h", 1, 2);  // its folder is there already
    ResolvePaths(existing);
    EXPECT_EQ(existing.localPath, Root() + L"\\Data\\b.bin");

    // Resolved once: later settings do not move an entry.
    AppSettings().baseUrl = L"http://elsewhere/";
    ResolvePaths(nested);
    EXPECT_EQ(nested.url, base + L"Data\\Sub\\a.bin");
}

TEST_F(FileTask, NeedsUpdateByDigest) {
    const std::string bytes = "the local copy";
    CreateDirectoryTree(Local(L"Data"));
    WriteBytes(Local(L"Data\\same.bin"), bytes);
    WriteBytes(Local(L"Data\\other.bin"), bytes);
    const std::wstring digest = HexMd5(bytes);

    struct Case { const wchar_t* name; std::wstring hash; int64_t size; bool needed; };
    const Case cases[] = {
        {L"Data\\missing.bin", digest, 14, true},
        {L"Data\\same.bin", digest, 14, false},
        {L"Data\\same.bin", digest, 999999, false},  // the size is never compared
        {L"Data\\other.bin", L"00000000000000000000000000000000", 14, true},
        {L"Data\\same.bin", L"", 14, true},
    };
    for (const Case& c : cases) {
        FileEntry entry(c.name, c.hash, c.size, 2);
        EXPECT_EQ(NeedsUpdate(entry), c.needed) << c.name << " " << c.hash;
    }

    // A file where the entry's folder should be: the entry is simply missing
    // (its download then fails to create the file).
    WriteBytes(Local(L"Plain"), bytes);
    FileEntry underFile(L"Plain\\a.bin", digest, 14, 2);
    EXPECT_TRUE(NeedsUpdate(underFile));
    // A folder where the file should be cannot be read: a file error, not "missing".
    CreateDirectoryTree(Local(L"Data\\folder.bin"));
    FileEntry folderInPlace(L"Data\\folder.bin", digest, 14, 2);
    EXPECT_THROW(NeedsUpdate(folderInPlace), fw::CFileException);

    // Hex digits mean the same in either letter case.
    std::wstring upper = digest;
    for (wchar_t& ch : upper) ch = static_cast<wchar_t>(towupper(ch));
    FileEntry upperCase(L"Data\\same.bin", upper, 14, 2);
    EXPECT_FALSE(NeedsUpdate(upperCase));
}

TEST_F(FileTask, ClientConfigurationGuard) {
    struct Case { bool cover; const wchar_t* name; bool present; bool needed; };
    const Case cases[] = {
        {false, L"Config\\ClientConfig.txt", false, false},  // never needed, not even when missing
        {false, L"Config\\ClientConfig.txt", true, false},
        {false, L"ClientConfig.txt", false, false},
        {false, L"Config\\clientconfig.txt", false, true},  // other letter case: checked normally
        {false, L"Config\\ClientConfig.txt.bak", false, true},
        {true, L"Config\\ClientConfig.txt", false, true},
        {true, L"Config\\ClientConfig.txt", true, true},  // present but different
    };
    for (const Case& c : cases) {
        AppSettings().coverClientConfig = c.cover;
        FileEntry entry(c.name, L"d41d8cd98f00b204e9800998ecf8427f", 0, 2);
        ResolvePaths(entry);
        ::DeleteFileW(entry.localPath.c_str());
        if (c.present) WriteBytes(entry.localPath, "player's settings");
        EXPECT_EQ(NeedsUpdate(entry), c.needed) << c.name << " cover=" << c.cover << " present=" << c.present;
    }
}

TEST_F(FileTask, UnreadableLocalFileRaisesAFileError) {
    WriteBytes(Local(L"held.bin"), "x");
    HANDLE holder = ::CreateFileW(Local(L"held.bin").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    FileEntry entry(L"held.bin", L"h", 1, 2);
    EXPECT_THROW(NeedsUpdate(entry), fw::CFileException);
    ::CloseHandle(holder);
}

TEST_F(FileTask, DownloadWritesTheFileAndLogsTheAddress) {
    const std::string bytes = PatternBytes(70000);
    server_.Serve("/p/Data/Sub/a.bin", CannedReply::Ok(bytes));
    server_.Serve("/p/Data\\Sub\\a.bin", CannedReply::Ok(bytes));
    FileEntry entry(L"Data\\Sub\\a.bin", HexMd5(bytes), 70000, 2);
    entry.received = 12345;
    EXPECT_EQ(DownloadFailure(entry), "");
    EXPECT_TRUE(ReadBytes(Local(L"Data\\Sub\\a.bin")) == bytes);
    EXPECT_EQ(entry.received.load(), 70000);
    EXPECT_EQ(LoggedLines(L"loader-download"), (Lines{L"download -> " + entry.url}));
    EXPECT_EQ(LoggedLines(L"loader-error"), Lines{});
    EXPECT_FALSE(NeedsUpdate(entry));
}

TEST_F(FileTask, MissingOnTheServer) {
    FileEntry entry(L"Data\\gone.bin", L"h", 5, 2);
    EXPECT_EQ(DownloadFailure(entry), kDownloadFailedText);
    EXPECT_EQ(LoggedLines(L"loader-download"), (Lines{L"download -> " + entry.url}));
    EXPECT_EQ(LoggedLines(L"loader-error"), (Lines{L"web 文件缺失：" + entry.url}));
    EXPECT_FALSE(FileExists(entry.localPath));  // nothing created before a 200
}

TEST_F(FileTask, IncompleteTransfer) {
    server_.Serve("/p/short.bin", CannedReply::Make(CannedReply::Kind::CutShort, 200, "12345", 10));
    FileEntry entry(L"short.bin", L"h", 10, 2);
    EXPECT_EQ(DownloadFailure(entry), kDownloadFailedText);
    EXPECT_EQ(entry.received.load(), 5);
    EXPECT_EQ(LoggedLines(L"loader-download"), (Lines{L"download -> " + entry.url}));
    EXPECT_EQ(LoggedLines(L"loader-error"), (Lines{L"web 文件缺失：" + entry.url}));
}

TEST_F(FileTask, FileErrorAndNetworkErrorAreToldApart) {
    server_.Serve("/p/held.bin", CannedReply::Ok("new"));
    WriteBytes(Local(L"held.bin"), "old");
    HANDLE holder = ::CreateFileW(Local(L"held.bin").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    FileEntry held(L"held.bin", L"h", 3, 2);
    EXPECT_EQ(DownloadFailure(held), kFileAccessFailedText);
    ::CloseHandle(holder);
    EXPECT_EQ(ReadBytes(Local(L"held.bin")), "old");
    EXPECT_EQ(LoggedLines(L"loader-error"), (Lines{L"文件写入失败：" + held.localPath}));
    EXPECT_EQ(LoggedLines(L"loader-download"), Lines{});

    server_.Serve("/p/reset.bin", CannedReply::Make(CannedReply::Kind::Reset, 200, std::string(3000, 'r'), 90000));
    FileEntry reset(L"reset.bin", L"h", 90000, 2);
    EXPECT_EQ(DownloadFailure(reset), kNetworkFailedText);
    EXPECT_EQ(LoggedLines(L"loader-error"), Lines{});  // a network error logs nothing
    EXPECT_EQ(LoggedLines(L"loader-download"), Lines{});
}

TEST_F(FileTask, DigestCheckedAfterTheTransfer) {
    server_.Serve("/p/stale.bin", CannedReply::Ok("not the listed bytes"));
    FileEntry stale(L"stale.bin", HexMd5("the listed bytes"), 16, 2);
    EXPECT_EQ(DownloadFailure(stale), kDownloadFailedText);
    EXPECT_EQ(LoggedLines(L"loader-download"), (Lines{L"download -> " + stale.url}));
    EXPECT_EQ(LoggedLines(L"loader-error"), (Lines{L"文件校验失败：" + stale.url}));

    // Listed in capitals: the same digest.
    server_.Serve("/p/upper.bin", CannedReply::Ok("listed"));
    std::wstring upper = HexMd5("listed");
    for (wchar_t& ch : upper) ch = static_cast<wchar_t>(towupper(ch));
    FileEntry listedUpper(L"upper.bin", upper, 6, 2);
    EXPECT_EQ(DownloadFailure(listedUpper), "");
}
