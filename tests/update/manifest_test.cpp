#include <gtest/gtest.h>

#include <cwctype>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "config/paths.h"
#include "config/text.h"
#include "update/manifest.h"
#include "update/update_messages.h"
#include "update_fixture.h"

namespace {

struct Parsed {
    std::wstring name;
    std::wstring hash;
    int64_t size;
    int32_t kind;
};

std::vector<Parsed> Parse(const std::wstring& body, bool expectOk = true) {
    std::vector<FileEntry> entries;
    std::wstring bad;
    EXPECT_EQ(ParseManifest(body, entries, bad), expectOk) << body;
    std::vector<Parsed> out;
    for (const FileEntry& e : entries) out.push_back({e.name, e.hash, e.size, e.kind});
    return out;
}

bool operator==(const Parsed& a, const Parsed& b) {
    return a.name == b.name && a.hash == b.hash && a.size == b.size && a.kind == b.kind;
}

std::ostream& operator<<(std::ostream& os, const Parsed& p) {
    return os << Utf8FromWide(p.name) << "," << Utf8FromWide(p.hash) << "," << p.size << "," << p.kind;
}

// What the stage handed over, seen from its completion handler.
struct HandOver {
    int calls = 0;
    DWORD thread = 0;
    bool done = false;
    int32_t failed = -1;
    std::string error;
    std::vector<FileEntry> result;
    std::string raised;  // what TakeResult raised
};
HandOver g_handOver;

void RecordHandOver(ManifestTask* task) {
    ++g_handOver.calls;
    g_handOver.thread = ::GetCurrentThreadId();
    g_handOver.done = task->done;
    g_handOver.failed = task->failed;
    g_handOver.error = task->errorText ? task->errorText : "";
    try {
        g_handOver.result = fw::TakeResult(task);  // releases the record
    } catch (const std::runtime_error& e) {
        g_handOver.raised = e.what();
    }
}

// Debugger output of this process, caught on its way to a debugger.
std::mutex g_traceMutex;
std::vector<std::wstring> g_trace;

LONG CALLBACK CatchDebugOutput(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD* r = info->ExceptionRecord;
    if (r->ExceptionCode == DBG_PRINTEXCEPTION_C && r->NumberParameters >= 2) {
        const char* text = reinterpret_cast<const char*>(r->ExceptionInformation[1]);
        std::lock_guard<std::mutex> lock(g_traceMutex);
        g_trace.push_back(WideFromAnsi(text));
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

class ManifestStage : public UpdateFixture {
protected:
    void SetUp() override {
        UpdateFixture::SetUp();
        g_handOver = HandOver();
        g_trace.clear();
        handler_ = ::AddVectoredExceptionHandler(1, CatchDebugOutput);
    }
    void TearDown() override {
        ::RemoveVectoredExceptionHandler(handler_);
        UpdateFixture::TearDown();
    }

    // Runs the stage on a thread of its own, as the pipeline does.
    void RunStage() {
        ManifestTask* task = new ManifestTask;
        task->completion = &RecordHandOver;
        DWORD id = 0;
        HANDLE thread = ::CreateThread(nullptr, 0, &FetchManifest, task, 0, &id);
        ASSERT_NE(thread, nullptr);
        ASSERT_EQ(::WaitForSingleObject(thread, 60000), WAIT_OBJECT_0);
        DWORD code = 1;
        ::GetExitCodeThread(thread, &code);
        ::CloseHandle(thread);
        EXPECT_EQ(code, 0u);
        EXPECT_EQ(g_handOver.calls, 1);
        EXPECT_EQ(g_handOver.thread, id);  // on the stage's own thread
        EXPECT_TRUE(g_handOver.done);
    }

    std::vector<std::wstring> ResultNames() const {
        std::vector<std::wstring> names;
        for (const FileEntry& e : g_handOver.result) names.push_back(e.name);
        return names;
    }

    void ServeManifest(const std::string& body) { server_.Serve("/p/Resources.txt", CannedReply::Ok(body)); }

    PVOID handler_ = nullptr;
};

using Names = std::vector<std::wstring>;

}  // namespace

TEST(ParseManifest, FieldsAndLines) {
    struct Case { const wchar_t* body; std::vector<Parsed> entries; };
    const Case cases[] = {
        {L"Data\\x.bin,abc,10", {{L"Data\\x.bin", L"abc", 10, 2}}},
        {L"Data\\x.bin,abc,10,1", {{L"Data\\x.bin", L"abc", 10, 1}}},
        {L"Data\\x.bin,abc,10,1,zz", {{L"Data\\x.bin", L"abc", 10, 1}}},
        {L"a,h,12kb\r\nb,h,abc\r\nc,h, -3,x", {{L"a", L"h", 12, 2}, {L"b", L"h", 0, 2}, {L"c", L"h", -3, 0}}},
        {L"a,h,5000000000,2", {{L"a", L"h", 5000000000LL, 2}}},
        {L"a,h,1\r\n\r\nb,h,2\r\n", {{L"a", L"h", 1, 2}, {L"b", L"h", 2, 2}}},
        {L"a,h,1\nb,h,2", {{L"a", L"h", 1, 0}}},  // a bare "\n" separates nothing: "1\nb" is one field
        {L"\xFEFF" L"a.bin,h,1\r\n", {{L"a.bin", L"h", 1, 2}}},  // the byte-order mark is dropped
        {L"short,line\r\nonly\r\na,h,1\r\n", {{L"a", L"h", 1, 2}}},
        {L" spaced name ,HASH,7", {{L" spaced name ", L"HASH", 7, 2}}},  // taken as they are
        {L"", {}},
        {L"\r\n\r\n", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(Parse(c.body), c.entries) << c.body;

    const std::vector<Parsed> bare = Parse(L"a,h,1\nb,h,2");
    ASSERT_EQ(bare.size(), 1u);
}

TEST(ParseManifest, UnsafeNamesFailTheWholeManifest) {
    const wchar_t* unsafe[] = {
        L"..\\evil.exe", L"Data\\..\\..\\evil.exe", L"Data/../../evil.exe", L"C:\\Windows\\evil.dll",
        L"C:evil.dll",   L"\\rooted.bin",           L"\\\\server\\share\\x", L"/rooted.bin",
        L"a.bin:stream", L"Data\\.. \\x.bin",       L"Data\\",               L"",
        L"Data\\CON",
    };
    for (const wchar_t* name : unsafe) {
        std::vector<FileEntry> entries;
        std::wstring bad;
        const std::wstring body = std::wstring(L"ok.bin,h,1\r\n") + name + L",h,1\r\nlater.bin,h,1\r\n";
        EXPECT_FALSE(ParseManifest(body, entries, bad)) << name;
        EXPECT_EQ(bad, name);
    }
    EXPECT_EQ(Parse(L"Data\\..data\\x.bin,h,1\r\nData\\a..b.bin,h,2").size(), 2u);  // dots inside names are fine
}

TEST_F(ManifestStage, ChecksEveryEntryInOrderAndHandsOverTheNeededOnes) {
    WriteBytes(Local(L"current.bin"), "current");
    CreateDirectoryTree(Local(L"Data"));
    WriteBytes(Local(L"Data\\old.bin"), "old");
    std::wstring upper = HexMd5("current");
    for (wchar_t& ch : upper) ch = static_cast<wchar_t>(towupper(ch));
    ServeManifest("Data\\new.bin,0123456789abcdef0123456789abcdef,123,1\r\n"
                  "current.bin," + Utf8FromWide(upper) + ",7\r\n"
                  "Data\\old.bin," + Utf8FromWide(HexMd5("new")) + ",3,2\r\n"
                  "\r\n"
                  "Sub\\Deep\\z.bin,ffff,9\r\n");
    RunStage();
    EXPECT_EQ(g_handOver.failed, 0);
    EXPECT_EQ(g_handOver.raised, "");
    EXPECT_EQ(ResultNames(), (Names{L"Data\\new.bin", L"Data\\old.bin", L"Sub\\Deep\\z.bin"}));
    ASSERT_EQ(g_handOver.result.size(), 3u);
    const FileEntry& first = g_handOver.result[0];
    EXPECT_EQ(first.kind, 1);
    EXPECT_EQ(first.size, 123);
    EXPECT_TRUE(first.resolved);
    EXPECT_EQ(first.url, AppSettings().baseUrl + L"Data\\new.bin");
    EXPECT_EQ(first.localPath, Local(L"Data\\new.bin"));
    EXPECT_EQ(g_handOver.result[2].kind, 2);
    EXPECT_TRUE(FolderExists(Local(L"Sub\\Deep")));

    // Every entry is traced, the one not needed too.
    const Names traced = g_trace;
    auto has = [&](const std::wstring& line) {
        for (const std::wstring& t : traced) {
            if (t == line) return true;
        }
        return false;
    };
    EXPECT_TRUE(has(L"{name:Data\\new.bin, hash:0123456789abcdef0123456789abcdef, size:123}\n"));
    EXPECT_TRUE(has(L"{name:current.bin, hash:" + upper + L", size:7}\n"));
    EXPECT_TRUE(has(L"{name:Sub\\Deep\\z.bin, hash:ffff, size:9}\n"));

    const auto targets = server_.Targets();
    ASSERT_EQ(targets.size(), 1u);
    EXPECT_EQ(targets[0], "/p/Resources.txt");
}

TEST_F(ManifestStage, ByteOrderMarkNeverReachesAPathOrAddress) {
    ServeManifest("\xEF\xBB\xBF" "first.bin,abc,1\r\n");
    RunStage();
    ASSERT_EQ(g_handOver.result.size(), 1u);
    EXPECT_EQ(g_handOver.result[0].name, L"first.bin");
    EXPECT_EQ(g_handOver.result[0].localPath, Local(L"first.bin"));
    EXPECT_EQ(g_handOver.result[0].url, AppSettings().baseUrl + L"first.bin");
}

TEST_F(ManifestStage, FailedRequest) {
    // No manifest on the server: 404.
    RunStage();
    EXPECT_EQ(g_handOver.failed, 1);
    EXPECT_EQ(g_handOver.error, kManifestFailedText);
    EXPECT_EQ(g_handOver.raised, kManifestFailedText);  // the message travels as the exception's text
    EXPECT_TRUE(g_handOver.result.empty());
    EXPECT_EQ(WideFromUtf8(g_handOver.raised), L"下载资源列表异常，请稍后再试！");
}

TEST_F(ManifestStage, EmptyManifest) {
    ServeManifest("");
    RunStage();
    EXPECT_EQ(g_handOver.failed, 0);
    EXPECT_TRUE(g_handOver.result.empty());

    g_handOver = HandOver();
    ServeManifest("\r\n\r\n");
    RunStage();
    EXPECT_EQ(g_handOver.failed, 0);
    EXPECT_TRUE(g_handOver.result.empty());
}

TEST_F(ManifestStage, UnsafeNameFailsBeforeAnythingIsChecked) {
    ServeManifest("Early\\a.bin,h,1\r\n..\\..\\evil.exe,h,1\r\n");
    RunStage();
    EXPECT_EQ(g_handOver.failed, 1);
    EXPECT_EQ(g_handOver.error, kManifestFailedText);
    EXPECT_TRUE(g_handOver.result.empty());
    EXPECT_FALSE(FolderExists(Local(L"Early")));  // no folder made for any entry
    const auto errors = LoggedLines(L"loader-error");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find(L"..\\..\\evil.exe"), std::wstring::npos);
}

TEST_F(ManifestStage, UnreadableLocalFileFailsWithTheFileAccessMessage) {
    WriteBytes(Local(L"held.bin"), "x");
    HANDLE holder = ::CreateFileW(Local(L"held.bin").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    ServeManifest("held.bin,h,1\r\n");
    RunStage();
    ::CloseHandle(holder);
    EXPECT_EQ(g_handOver.failed, 1);
    EXPECT_EQ(g_handOver.error, kFileAccessFailedText);
    EXPECT_TRUE(g_handOver.result.empty());
    EXPECT_EQ(LoggedLines(L"loader-error"), (Names{L"文件读取失败：" + Local(L"held.bin")}));
}

TEST_F(ManifestStage, ClientConfigurationIsLeftAlone) {
    AppSettings().coverClientConfig = false;
    ServeManifest("Config\\ClientConfig.txt,h,1\r\nConfig\\other.txt,h,1\r\n");
    RunStage();
    EXPECT_EQ(ResultNames(), (Names{L"Config\\other.txt"}));
}
