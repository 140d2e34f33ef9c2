#include <gtest/gtest.h>

#include <atomic>
#include <shlobj.h>

#include <string>
#include <utility>
#include <vector>

#include "framework/exceptions.h"
#include "framework/unique_any.h"
#include "loopback_server.h"
#include "common/test_folder.h"
#include "update/http_client.h"

using Kind = CannedReply::Kind;

TEST(DownloadToFile, CompleteTransferWritesEveryByteAndCountsThem) {
    LoopbackServer server;
    const std::string body = PatternBytes(300 * 1024 + 17);
    server.Serve("/p/Data/a.bin", CannedReply::Ok(body));
    TestFolder folder;
    const std::wstring path = folder / L"a.bin";
    WriteBytes(path, std::string(500 * 1024, 'o'));  // replaced whole, not overwritten in place

    std::atomic<int64_t> counter{-1};
    EXPECT_TRUE(DownloadToFile(server.Url("/p/Data/a.bin"), path, &counter));
    EXPECT_EQ(counter.load(), static_cast<int64_t>(body.size()));
    EXPECT_TRUE(ReadBytes(path) == body);

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].requestLine, "GET /p/Data/a.bin HTTP/1.1");
    EXPECT_FALSE(requests[0].HasHeader("Accept-Charset"));  // file requests add no headers
    EXPECT_FALSE(requests[0].HasHeader("If-Modified-Since"));

    // Without a counter.
    EXPECT_TRUE(DownloadToFile(server.Url("/p/Data/a.bin"), path, nullptr));
    EXPECT_TRUE(ReadBytes(path) == body);
}

TEST(DownloadToFile, ReplacesAHiddenSystemFileAndKeepsItsFlags) {
    // Windows refuses CREATE_ALWAYS over such a file unless the flags are asked for again.
    LoopbackServer server;
    server.Serve("/p/hidden.bin", CannedReply::Ok("new bytes"));
    TestFolder folder;
    const std::wstring path = folder / L"hidden.bin";
    WriteBytes(path, "old");
    constexpr DWORD kFlags = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    ASSERT_TRUE(::SetFileAttributesW(path.c_str(), kFlags));

    EXPECT_TRUE(DownloadToFile(server.Url("/p/hidden.bin"), path, nullptr));
    EXPECT_EQ(ReadBytes(path), "new bytes");
    EXPECT_EQ(::GetFileAttributesW(path.c_str()) & kFlags, kFlags);
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(DownloadToFile, IncompleteTransfersReturnFalse) {
    LoopbackServer server;
    TestFolder folder;
    struct Case {
        const char* path;
        CannedReply reply;
        std::string fileAfter;  // "<unreadable>": no file was created
        int64_t counted;        // -1: the counter was never written
    };
    const Case cases[] = {
        {"/missing", CannedReply::Status(404, "<html>gone</html>"), "<unreadable>", -1},
        {"/error", CannedReply::Status(500, "oops"), "<unreadable>", -1},
        {"/chunked", CannedReply::Make(Kind::Chunked, 200, "chunked body"), "", -1},
        {"/no-length", CannedReply::Make(Kind::NoLength, 200, "till close"), "", -1},
        {"/short", CannedReply::Make(Kind::CutShort, 200, std::string(400, 's'), 1000), std::string(400, 's'), 400},
        {"/empty-short", CannedReply::Make(Kind::CutShort, 200, "", 10), "", -1},
        // 4 GiB + 10 announced, 10 sent: a 32-bit length would take this for complete.
        {"/huge", CannedReply::Make(Kind::CutShort, 200, "0123456789", 4294967306ULL), "0123456789", 10},
    };
    int index = 0;
    for (const Case& c : cases) {
        server.Serve(c.path, c.reply);
        const std::wstring path = folder / (L"file" + std::to_wstring(++index));
        std::atomic<int64_t> counter{-1};
        EXPECT_FALSE(DownloadToFile(server.Url(c.path), path, &counter)) << c.path;
        EXPECT_EQ(ReadBytes(path), c.fileAfter) << c.path;
        EXPECT_EQ(counter.load(), c.counted) << c.path;
    }
}

TEST(DownloadToFile, FailedStatusLeavesTheLocalFileAlone) {
    LoopbackServer server;
    TestFolder folder;
    const std::wstring path = folder / L"keep.bin";
    WriteBytes(path, "local copy");
    EXPECT_FALSE(DownloadToFile(server.Url("/nothing-here"), path, nullptr));
    EXPECT_EQ(ReadBytes(path), "local copy");
}

TEST(DownloadToFile, RefusedConnectionReturnsFalse) {
    int port = 0;
    {
        LoopbackServer probe;
        port = probe.Port();
    }
    TestFolder folder;
    EXPECT_FALSE(DownloadToFile(L"http://127.0.0.1:" + std::to_wstring(port) + L"/a.bin", folder / L"a.bin", nullptr));
    EXPECT_FALSE(FileExists(folder / L"a.bin"));
}

TEST(DownloadToFile, LockedLocalFileIsAFileError) {
    LoopbackServer server;
    server.Serve("/a.bin", CannedReply::Ok("content"));
    TestFolder folder;
    const std::wstring path = folder / L"a.bin";
    WriteBytes(path, "held");
    // Another program holds the file without sharing it.
    HANDLE holder = ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    try {
        DownloadToFile(server.Url("/a.bin"), path, nullptr);
        ADD_FAILURE() << "a locked file must raise a file error";
    } catch (const fw::CFileException& e) {
        EXPECT_EQ(e.Path(), path);
        EXPECT_EQ(e.Error(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    }
    ::CloseHandle(holder);
    EXPECT_EQ(ReadBytes(path), "held");

    // A folder that does not exist is a file error too.
    EXPECT_THROW(DownloadToFile(server.Url("/a.bin"), folder / L"no\\such\\a.bin", nullptr), fw::CFileException);
}

TEST(DownloadToFile, ConnectionResetMidBodyIsANetworkError) {
    LoopbackServer server;
    server.Serve("/reset.bin", CannedReply::Make(Kind::Reset, 200, std::string(2000, 'r'), 100000));
    TestFolder folder;
    EXPECT_THROW(DownloadToFile(server.Url("/reset.bin"), folder / L"reset.bin", nullptr), fw::CInternetException);
    EXPECT_TRUE(FileExists(folder / L"reset.bin"));  // created once the server said 200
}

TEST(DownloadToFile, BackslashesInTheAddressReachTheServer) {
    LoopbackServer server;
    // WinINet may send the backslash as it is or as a slash.
    server.Serve("/p/Data\\a.bin", CannedReply::Ok("abc"));
    server.Serve("/p/Data/a.bin", CannedReply::Ok("abc"));
    TestFolder folder;
    EXPECT_TRUE(DownloadToFile(server.Url("/p/Data\\a.bin"), folder / L"a.bin", nullptr));
    EXPECT_EQ(ReadBytes(folder / L"a.bin"), "abc");
}

namespace {

// Every file below the folder with its size.
void ListFiles(const std::wstring& folder, std::vector<std::pair<std::wstring, uint64_t>>& files) {
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            ListFiles(folder + L"\\" + name, files);
        } else {
            files.emplace_back(folder + L"\\" + name,
                               (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
        }
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
}

std::wstring InternetCacheFolder() {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_INTERNET_CACHE, nullptr, 0, path))) return std::wstring();
    return path;
}

bool IsCached(const std::wstring& url) {
    DWORD size = 0;
    ::GetUrlCacheEntryInfoW(url.c_str(), nullptr, &size);
    if (size == 0) return false;
    std::vector<char> info(size);
    return ::GetUrlCacheEntryInfoW(url.c_str(), reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(info.data()), &size) !=
           FALSE;
}

// What a request with INTERNET_FLAG_RELOAD alone does: the control case.
void FetchWithReloadOnly(const LoopbackServer& server, const std::string& path) {
    fw::UniqueInternet session(::InternetOpenW(L"control", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    fw::UniqueInternet connection(::InternetConnectW(session.Get(), L"127.0.0.1", static_cast<INTERNET_PORT>(server.Port()),
                                                     nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 1));
    const std::wstring object(path.begin(), path.end());
    fw::UniqueInternet request(::HttpOpenRequestW(connection.Get(), L"GET", object.c_str(), nullptr, nullptr, nullptr,
                                                  INTERNET_FLAG_RELOAD, 1));
    ASSERT_TRUE(::HttpSendRequestW(request.Get(), nullptr, 0, nullptr, 0));
    char buffer[65536];
    DWORD n = 0;
    while (::InternetReadFile(request.Get(), buffer, sizeof(buffer), &n) && n != 0) {
    }
}

}  // namespace

TEST(DownloadToFile, LeavesNothingInTheInternetCache) {
    const std::wstring cache = InternetCacheFolder();
    ASSERT_FALSE(cache.empty());
    LoopbackServer server;
    const size_t size = 256 * 1024 + 3;  // a size no other cached file has
    server.Serve("/game/big.pak", CannedReply::Ok(PatternBytes(size, 11)));
    server.Serve("/control/big.pak", CannedReply::Ok(PatternBytes(size, 12)));
    server.Serve("/Resources.txt", CannedReply::Ok(std::string(size, 'm')));

    TestFolder folder;
    ASSERT_TRUE(DownloadToFile(server.Url("/game/big.pak"), folder / L"big.pak", nullptr));
    HttpClient client;
    std::wstring body;
    ASSERT_EQ(HttpGetText(client, server.Url("/Resources.txt"), body), 0);
    EXPECT_FALSE(IsCached(server.Url("/game/big.pak")));
    EXPECT_FALSE(IsCached(server.Url("/Resources.txt")));

    // The check can see a cached copy: RELOAD alone leaves one.
    FetchWithReloadOnly(server, "/control/big.pak");
    EXPECT_TRUE(IsCached(server.Url("/control/big.pak")));

    // Nothing in the cache folder holds either body; the control's copy is there.
    std::vector<std::pair<std::wstring, uint64_t>> files;
    ListFiles(cache, files);
    const std::string downloaded = PatternBytes(size, 11);
    const std::string manifest(size, 'm');
    bool controlSeen = false;
    for (const auto& file : files) {
        if (file.second != size) continue;
        const std::string bytes = ReadBytes(file.first);
        EXPECT_FALSE(bytes == downloaded) << "the download was cached";
        EXPECT_FALSE(bytes == manifest) << "the text answer was cached";
        if (bytes == PatternBytes(size, 12)) controlSeen = true;
    }
    EXPECT_TRUE(controlSeen);
    ::DeleteUrlCacheEntryW(server.Url("/control/big.pak").c_str());
}
