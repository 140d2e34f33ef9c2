#include <gtest/gtest.h>

#include <string>

#include "config/text.h"
#include "loopback_server.h"
#include "update/http_client.h"

TEST(HttpGetText, SendsTheRequestLineAndFourHeaders) {
    LoopbackServer server;
    server.Serve("/p/Resources.txt", CannedReply::Ok("a,b,1\r\n"));
    HttpClient client;
    std::wstring body;
    ASSERT_EQ(HttpGetText(client, server.Url("/p/Resources.txt"), body), 0);
    EXPECT_EQ(body, L"a,b,1\r\n");

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    const RecordedRequest& r = requests[0];
    EXPECT_EQ(r.requestLine, "GET /p/Resources.txt HTTP/1.1");
    EXPECT_EQ(r.Header("Accept"), "*/*,application/json");
    EXPECT_EQ(r.Header("Accept-Charset"), "UTF8");
    EXPECT_EQ(r.Header("Accept-Language"), "zh-cn;q=0.8,en;q=0.6,ja;q=0.4");
    EXPECT_EQ(r.Header("Content-Type"), "application/json");
    // The four in the order they were added.
    std::vector<std::string> order;
    for (const auto& header : r.headers) {
        for (const char* name : {"Accept", "Accept-Charset", "Accept-Language", "Content-Type"}) {
            if (header.first == name) order.push_back(name);
        }
    }
    EXPECT_EQ(order, (std::vector<std::string>{"Accept", "Accept-Charset", "Accept-Language", "Content-Type"}));
    EXPECT_EQ(r.Header("Host"), "127.0.0.1:" + std::to_string(server.Port()));
    // A reload: no conditional request that a cache could answer.
    EXPECT_FALSE(r.HasHeader("If-Modified-Since"));
    EXPECT_FALSE(r.HasHeader("If-None-Match"));
}

TEST(HttpGetText, StatusAndBodyCases) {
    LoopbackServer server;
    struct Case {
        const char* path;
        CannedReply reply;
        int32_t result;
        std::wstring body;
    };
    const std::string zeroInside("before\0after", 12);
    const std::string longBody = std::string(1500, 'x') + std::string("\0", 1) + std::string(1500, 'y');
    const Case cases[] = {
        {"/ok", CannedReply::Ok("1.0.0.2,http://h/new.exe"), 0, L"1.0.0.2,http://h/new.exe"},
        {"/missing", CannedReply::Status(404, "<html>gone</html>"), 1, L"<html>gone</html>"},
        {"/error", CannedReply::Status(500, "oops"), 1, L"oops"},
        {"/empty", CannedReply::Ok(""), 0, L""},
        {"/utf8", CannedReply::Ok("Data\\\xE6\xB8\xB8\xE6\x88\x8F.bin"), 0, L"Data\\游戏.bin"},
        {"/zero", CannedReply::Ok(zeroInside), 0, std::wstring(L"before\0after", 12)},
        {"/zero-long", CannedReply::Ok(longBody), 0, WideFromUtf8(longBody)},
        {"/chunked", CannedReply::Make(CannedReply::Kind::Chunked, 200, "chunked body"), 0, L"chunked body"},
        {"/no-length", CannedReply::Make(CannedReply::Kind::NoLength, 200, "till close"), 0, L"till close"},
    };
    for (const Case& c : cases) {
        server.Serve(c.path, c.reply);
        HttpClient client;
        std::wstring body = L"unchanged";
        EXPECT_EQ(HttpGetText(client, server.Url(c.path), body), c.result) << c.path;
        EXPECT_EQ(body, c.body) << c.path;
    }
    EXPECT_EQ(WideFromUtf8(longBody).size(), 3001u);
}

TEST(HttpGetText, ClientIsReusableAcrossRequests) {
    LoopbackServer server;
    server.Serve("/a", CannedReply::Ok("first"));
    server.Serve("/b", CannedReply::Ok("second"));
    HttpClient client;
    std::wstring body;
    EXPECT_EQ(HttpGetText(client, server.Url("/a"), body), 0);
    EXPECT_EQ(body, L"first");
    EXPECT_EQ(HttpGetText(client, server.Url("/b"), body), 0);
    EXPECT_EQ(body, L"second");
    EXPECT_EQ(server.Targets(), (std::vector<std::string>{"/a", "/b"}));
}

TEST(HttpGetText, OtherSchemesSendNothing) {
    LoopbackServer server;
    HttpClient client;
    for (const std::wstring& url : {L"ftp://127.0.0.1:" + std::to_wstring(server.Port()) + L"/Resources.txt",
                                    std::wstring(L"file:///C:/x.txt"), std::wstring(L"not an address"),
                                    std::wstring()}) {
        std::wstring body = L"unchanged";
        EXPECT_EQ(HttpGetText(client, url, body), 1) << url;
        EXPECT_EQ(body, L"unchanged") << url;
    }
    ::Sleep(200);
    EXPECT_TRUE(server.Requests().empty());
}

TEST(HttpGetText, NetworkErrorsGiveOne) {
    // A port nobody listens on: the server is created and destroyed to find one.
    int port = 0;
    {
        LoopbackServer probe;
        port = probe.Port();
    }
    HttpClient client;
    client.SetTimeout(3000);
    std::wstring body = L"unchanged";
    EXPECT_EQ(HttpGetText(client, L"http://127.0.0.1:" + std::to_wstring(port) + L"/Resources.txt", body), 1);
    EXPECT_EQ(body, L"CInternetException\n");
}

TEST(HttpGetText, SilentServerTimesOutWithTwo) {
    LoopbackServer server;
    CannedReply stall = CannedReply::Make(CannedReply::Kind::Stall, 200, "");
    stall.stallMs = 20000;
    server.Serve("/update.html", stall);
    HttpClient client;
    client.SetTimeout(1000);  // keeps the test's own wait short
    std::wstring body;
    EXPECT_EQ(HttpGetText(client, server.Url("/update.html"), body), 2);
    EXPECT_EQ(body, L"CInternetException\n");
}
