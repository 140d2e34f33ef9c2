#include <gtest/gtest.h>
#include <windows.h>

#include <regex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "config/paths.h"
#include "config/settings.h"
#include "common/test_folder.h"
#include "config/text.h"
#include "support/logger.h"

namespace {

// A fresh client root folder per test, with the registry emptied before and after.
class LoggerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearLoggers();
        wchar_t temp[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, temp);
        static int counter = 0;
        root_ = CombinePath(temp, L"zav3d_log_" + std::to_wstring(::GetCurrentProcessId()) + L"_" +
                                      std::to_wstring(++counter));
        RemoveTree(root_);
        CreateDirectoryTree(root_);
        savedFolderPath_ = AppSettings().folderPath;
        AppSettings().folderPath = root_;
    }
    void TearDown() override {
        ClearLoggers();
        AppSettings().folderPath = savedFolderPath_;
        RemoveTree(root_);
    }
    std::wstring LogFile(const std::wstring& channel) const { return root_ + L"\\Log\\" + channel + L".log"; }

    std::wstring root_;
    std::wstring savedFolderPath_;
};

const char kStampPattern[] = R"(\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}\])";

}  // namespace

TEST(LogStamp, Format) {
    SYSTEMTIME t{};
    t.wYear = 2024; t.wMonth = 3; t.wDay = 5; t.wHour = 7; t.wMinute = 8; t.wSecond = 9; t.wMilliseconds = 45;
    EXPECT_EQ(FormatLogStamp(t), L"[2024-03-05 07:08:09.045]");
    t.wYear = 999; t.wMonth = 12; t.wDay = 31; t.wHour = 23; t.wMinute = 59; t.wSecond = 59; t.wMilliseconds = 999;
    EXPECT_EQ(FormatLogStamp(t), L"[ 999-12-31 23:59:59.999]");
}

TEST_F(LoggerTest, RecordFormatEndsInLfCrLf) {
    InitLogging();
    EXPECT_EQ(LogFolder(), CombinePath(root_, L"Log"));
    ILogger* logger = GetLogger(L"loader-download");
    logger->Log(L"download -> http://127.0.0.1/a.bin");
    logger->Log(L"second");
    ClearLoggers();
    const std::string text = ReadBytes(LogFile(L"loader-download"));
    const std::regex record(std::string("^") + kStampPattern + " download -> http://127\\.0\\.0\\.1/a\\.bin\n\r\n" +
                            kStampPattern + " second\n\r\n$");
    EXPECT_TRUE(std::regex_match(text, record)) << text;
}

TEST_F(LoggerTest, FirstUseTruncatesAndLaterCallsShareTheLogger) {
    CreateDirectoryTree(CombinePath(root_, L"Log"));
    WriteBytes(LogFile(L"loader-download"), "records of an earlier run\r\n");
    WriteBytes(LogFile(L"loader-error"), "kept: channel not used in this run\r\n");
    InitLogging();  // a folder with files keeps them

    ILogger* first = GetLogger(L"loader-download");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetLogger(L"loader-download"), first);
    ClearLoggers();
    EXPECT_EQ(ReadBytes(LogFile(L"loader-download")), "");
    EXPECT_EQ(ReadBytes(LogFile(L"loader-error")), "kept: channel not used in this run\r\n");
}

TEST_F(LoggerTest, LogFolderCreatedWhenMissingOrEmpty) {
    const std::wstring folder = CombinePath(root_, L"Log");
    InitLogging();
    EXPECT_TRUE(PathExists(folder));
    InitLogging();  // empty: removed and created again
    EXPECT_TRUE(PathExists(folder));
    GetLogger(L"loader-error")->Log(L"x");
    EXPECT_TRUE(PathExists(LogFile(L"loader-error")));
}

TEST_F(LoggerTest, ChannelsDifferingInCaseAreTwoChannels) {
    InitLogging();
    ILogger* lower = GetLogger(L"loader-error");
    ILogger* upper = GetLogger(L"Loader-Error");
    EXPECT_NE(lower, upper);
    lower->Log(L"from lower");
    upper->Log(L"from upper");
    lower->Log(L"lower again");
    ClearLoggers();
    // Windows file names ignore case, so both channels land in one file:
    // neither may overwrite the other's records.
    const std::string text = ReadBytes(LogFile(L"loader-error"));
    EXPECT_NE(text.find("] from lower\n\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("] from upper\n\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("] lower again\n\r\n"), std::string::npos) << text;
}

TEST_F(LoggerTest, ChineseTextInTheAnsiCodePage) {
    InitLogging();
    const std::wstring message = L"文件写入失败：C:\\游戏\\Data\\a.bin";
    GetLogger(L"loader-error")->Log(message);
    ClearLoggers();
    const std::string text = ReadBytes(LogFile(L"loader-error"));
    const std::string expected = NarrowFromWide(message, CP_ACP);
    EXPECT_NE(text.find("] " + expected + "\n\r\n"), std::string::npos);
    if (::GetACP() == 936) {
        // 文 in code page 936, not UTF-8 and not UTF-16.
        EXPECT_NE(text.find("\xCE\xC4\xBC\xFE"), std::string::npos) << text;
        EXPECT_EQ(WideFromAnsi(expected, 936), message);
    }
}

TEST_F(LoggerTest, ConcurrentWritersNeverInterleave) {
    InitLogging();
    ILogger* logger = GetLogger(L"loader-download");
    const int kThreads = 4;
    const int kRecords = 150;
    const std::wstring padding(200, L'p');
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([=] {
            for (int i = 0; i < kRecords; ++i) {
                logger->Log(L"t" + std::to_wstring(t) + L" r" + std::to_wstring(i) + L" " + padding);
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    ClearLoggers();

    const std::string text = ReadBytes(LogFile(L"loader-download"));
    const std::regex record(std::string(kStampPattern) + " t(\\d) r(\\d+) p{200}\n\r\n");
    std::set<std::string> seen;
    size_t consumed = 0;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), record); it != std::sregex_iterator(); ++it) {
        EXPECT_EQ(static_cast<size_t>(it->position()), consumed) << "something between records";
        consumed = static_cast<size_t>(it->position() + it->length());
        seen.insert((*it)[1].str() + "/" + (*it)[2].str());
    }
    EXPECT_EQ(consumed, text.size());
    EXPECT_EQ(seen.size(), static_cast<size_t>(kThreads * kRecords));
}

TEST_F(LoggerTest, UnopenableFileDropsRecordsWithoutHoldingTheLock) {
    InitLogging();
    // A folder where the file should be: the log file cannot be opened.
    CreateDirectoryTree(LogFile(L"loader-error"));
    ILogger* logger = GetLogger(L"loader-error");
    EXPECT_NO_THROW(logger->Log(L"lost"));

    // Another thread must still get through; a held lock would block it.
    HANDLE thread = ::CreateThread(
        nullptr, 0,
        [](void* p) -> DWORD {
            static_cast<ILogger*>(p)->Log(L"lost too");
            return 0;
        },
        logger, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(::WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);
    ::CloseHandle(thread);
}

TEST_F(LoggerTest, LoggersHandedOutStayUsableAfterClear) {
    InitLogging();
    ILogger* before = GetLogger(L"loader-download");
    before->Log(L"one");
    ClearLoggers();
    EXPECT_NO_THROW(before->Log(L"after clear"));  // closed: written nowhere, no crash
    ILogger* after = GetLogger(L"loader-download");
    after->Log(L"two");
    ClearLoggers();
    const std::string text = ReadBytes(LogFile(L"loader-download"));
    EXPECT_EQ(text.find("one"), std::string::npos);  // a new first use truncates
    EXPECT_EQ(text.find("after clear"), std::string::npos);
    EXPECT_NE(text.find("] two\n\r\n"), std::string::npos);
}
