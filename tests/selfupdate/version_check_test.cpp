#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "config/settings.h"
#include "selfupdate/version_check.h"
#include "update/loopback_server.h"
#include "version_printer.h"

TEST(ParseVersionPage, TakesVersionFromField0AndTrimmedUrlFromField1) {
    struct Case { const wchar_t* body; LoaderVersion version; const wchar_t* url; };
    const Case cases[] = {
        {L"1.2.3.4,U", {1, 2, 3, 4}, L"U"},
        {L"1.2.3.4, U \r\n", {1, 2, 3, 4}, L"U"},
        {L" 1.2.3.4,U", {1, 2, 3, 4}, L"U"},
        {L"1.0.0.1,\thttp://h/a b.exe\r\n,more,fields", {1, 0, 0, 1}, L"http://h/a b.exe"},
        {L"1..3.4beta,U", {1, 0, 3, 4}, L"U"},
        {L"1.2.3.4,", {1, 2, 3, 4}, L""},  // an empty URL fails later, at the download
    };
    for (const Case& c : cases) {
        VersionCheckResult result;
        ASSERT_TRUE(ParseVersionPage(c.body, result)) << testing::PrintToString(std::wstring(c.body));
        EXPECT_EQ(result.version, c.version);
        EXPECT_EQ(result.url, c.url);
    }
}

TEST(ParseVersionPage, RejectsPagesWithoutFourFieldVersionOrUrl) {
    for (const wchar_t* body : {L"1.2.3.4", L"1.2.3.4\r\n", L"", L"1.2.3,U", L"1.2.3.4.5,U",
                                L"<html><body>Not Found</body></html>"}) {
        VersionCheckResult result;
        result.url = L"untouched";
        EXPECT_FALSE(ParseVersionPage(body, result)) << testing::PrintToString(std::wstring(body));
        EXPECT_EQ(result.url, L"untouched");
    }
}

namespace {

// What the stage gave its handler.
struct HandedOver {
    int calls = 0;
    bool done = false;
    int32_t failed = -1;
    std::string error;
    VersionCheckResult result;
};
HandedOver g_handedOver;

void RecordingHandler(VersionCheckTask* task) {
    ++g_handedOver.calls;
    g_handedOver.done = task->done;
    g_handedOver.failed = task->failed;
    try {
        g_handedOver.result = fw::TakeResult(task);
    } catch (const std::runtime_error& e) {
        g_handedOver.error = e.what();
    }
}

// Runs the check with that base URL on this thread.
HandedOver CheckAgainst(const std::wstring& base) {
    const std::wstring savedBase = AppSettings().baseUrl;
    AppSettings().baseUrl = base;
    g_handedOver = HandedOver();
    auto* task = new VersionCheckTask;
    task->completion = &RecordingHandler;
    EXPECT_EQ(RunVersionCheck(task), 0u);
    AppSettings().baseUrl = savedBase;
    return g_handedOver;
}

}  // namespace

TEST(RunVersionCheck, HandsTheServersVersionAndUrlToTheHandler) {
    LoopbackServer server;
    server.Serve("/sub/update.html", CannedReply::Ok(" 1.0.0.1, http://127.0.0.1/new loader.exe \r\n"));
    const HandedOver got = CheckAgainst(server.Url("/sub/"));
    EXPECT_EQ(server.Targets(), std::vector<std::string>{"/sub/update.html"});
    EXPECT_EQ(got.calls, 1);
    EXPECT_TRUE(got.done);
    EXPECT_EQ(got.failed, 0);
    EXPECT_EQ(got.error, "");
    EXPECT_EQ(got.result.version, (LoaderVersion{1, 0, 0, 1}));
    EXPECT_EQ(got.result.url, L"http://127.0.0.1/new loader.exe");
}

TEST(RunVersionCheck, MissingOrMalformedPageFailsWithTheVersionMessage) {
    LoopbackServer server;
    server.Serve("/a/update.html", CannedReply::Status(404, "1.0.0.1,http://127.0.0.1/x.exe"));
    server.Serve("/b/update.html", CannedReply::Ok("1.0.1,http://127.0.0.1/x.exe"));
    server.Serve("/c/update.html", CannedReply::Ok("1.0.0.1"));
    server.Serve("/d/update.html", CannedReply::Status(500, ""));
    for (const char* base : {"/a/", "/b/", "/c/", "/d/", "/nothing/"}) {
        const HandedOver got = CheckAgainst(server.Url(base));
        EXPECT_EQ(got.calls, 1) << base;
        EXPECT_TRUE(got.done) << base;
        EXPECT_EQ(got.failed, 1) << base;
        EXPECT_EQ(got.error, "获取版本信息异常，请稍后再试！") << base;
        EXPECT_EQ(got.result.url, L"") << base;
    }
    // Nothing listens on port 1: a network error, not an answer.
    const HandedOver refused = CheckAgainst(L"http://127.0.0.1:1/");
    EXPECT_EQ(refused.calls, 1);
    EXPECT_EQ(refused.failed, 1);
    EXPECT_EQ(refused.error, "获取版本信息异常，请稍后再试！");
}

TEST(RunVersionCheck, AnExceptionFromTheHandlerStaysOnTheThread) {
    const std::wstring savedBase = AppSettings().baseUrl;
    AppSettings().baseUrl = L"http://127.0.0.1:1/";
    auto* task = new VersionCheckTask;
    task->completion = [](VersionCheckTask* t) { fw::TakeResult(t); };  // rethrows the failure
    EXPECT_EQ(RunVersionCheck(task), 0u);
    AppSettings().baseUrl = savedBase;
}
