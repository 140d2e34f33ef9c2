#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "framework/exceptions.h"
#include "support/exception.h"
#include "support/file_stream.h"
#include "support/stream_writer.h"

namespace {

std::wstring TempFile(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + L"zav3d_stream_" + std::to_wstring(::GetCurrentProcessId()) + L"_" + name;
}

std::string ReadAll(const std::wstring& path) {
    HANDLE h = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                             nullptr);
    if (h == INVALID_HANDLE_VALUE) return "<unreadable>";
    std::string bytes(1 << 16, '\0');
    DWORD n = 0;
    ::ReadFile(h, &bytes[0], static_cast<DWORD>(bytes.size()), &n, nullptr);
    ::CloseHandle(h);
    bytes.resize(n);
    return bytes;
}

// Records what a writer does to its stream.
class RecordingStream : public Stream {
public:
    bool CanRead() const override { return false; }
    bool CanSeek() const override { return false; }
    bool CanWrite() const override { return true; }
    uint64_t GetPosition() const override { return bytes.size(); }
    uint64_t GetLength() const override { return bytes.size(); }
    uint32_t Read(void*, uint32_t) override { return 0; }
    void Write(const void* buffer, uint32_t count) override {
        ++writes;
        bytes.append(static_cast<const char*>(buffer), count);
    }
    uint64_t Seek(int64_t, int) override { return 0; }
    void SetLength(uint64_t) override {}
    void Flush() override { ++flushes; }
    void Close() override { ++closes; }

    std::string bytes;
    int writes = 0;
    int flushes = 0;
    int closes = 0;
};

}  // namespace

TEST(FileStream, SeekOrigins) {
    const std::wstring path = TempFile(L"seek.bin");
    FileStream stream(path, FileStream::modeCreate, FileStream::denyRead);
    const std::vector<char> hundred(100, 'x');
    stream.Write(hundred.data(), 100);
    EXPECT_EQ(stream.GetLength(), 100u);

    struct Case { int64_t offset; int origin; uint64_t from; uint64_t to; };
    const Case cases[] = {
        {10, 2, 0, 90},   // counted backward from the end
        {10, 1, 5, 15},
        {-3, 1, 20, 17},
        {42, 0, 77, 42},
        {0, 2, 3, 100},
    };
    for (const Case& c : cases) {
        stream.Seek(static_cast<int64_t>(c.from), 0);
        EXPECT_EQ(stream.Seek(c.offset, c.origin), c.to) << c.offset << "," << c.origin;
        EXPECT_EQ(stream.GetPosition(), c.to);
    }
    try {
        stream.Seek(1, 3);
        FAIL() << "an unknown origin must raise";
    } catch (const ArgumentException& e) {
        EXPECT_EQ(e.Message(), L"origin");
    }
    stream.Close();
    ::DeleteFileW(path.c_str());
}

TEST(FileStream, CreateTruncatesAndSharesWritingOnly) {
    const std::wstring path = TempFile(L"share.bin");
    {
        FileStream old(path, FileStream::modeCreate, 0);
        old.Write("old content", 11);
    }
    FileStream stream(path, FileStream::modeCreate, FileStream::denyRead);
    ASSERT_TRUE(stream.IsOpen());
    EXPECT_EQ(stream.GetLength(), 0u);
    EXPECT_TRUE(stream.CanWrite());
    EXPECT_TRUE(stream.CanRead());
    EXPECT_TRUE(stream.CanSeek());

    // Access 1: another opener may write but not read.
    HANDLE reader = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(reader, INVALID_HANDLE_VALUE);
    if (reader != INVALID_HANDLE_VALUE) ::CloseHandle(reader);
    HANDLE writer = ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(writer, INVALID_HANDLE_VALUE);
    if (writer != INVALID_HANDLE_VALUE) ::CloseHandle(writer);

    stream.Write("abcdef", 6);
    stream.SetLength(4);
    stream.Flush();
    stream.Close();
    stream.Close();  // a second close does nothing
    EXPECT_EQ(ReadAll(path), "abcd");
    ::DeleteFileW(path.c_str());
}

TEST(FileStream, OtherModesAndUnopenedFiles) {
    EXPECT_THROW(FileStream(TempFile(L"mode.bin"), 1, 0), IOException);

    // A folder cannot be opened as a file: the failure shows at the first write.
    wchar_t folder[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, folder);
    FileStream stream(folder, FileStream::modeCreate, FileStream::denyRead);
    EXPECT_FALSE(stream.IsOpen());
    stream.Close();  // nothing to close: no error
    EXPECT_THROW(stream.Write("x", 1), fw::CFileException);
    EXPECT_THROW(stream.Flush(), fw::CFileException);
}

TEST(StreamWriter, WritesAnsiTextAndFlushes) {
    RecordingStream target;
    StreamWriter writer(target, true);
    writer.WriteLine(L"ab");
    EXPECT_EQ(target.bytes, "ab\r\n");
    EXPECT_EQ(target.flushes, 1);

    writer.Write(L"");  // nothing written, still flushed
    EXPECT_EQ(target.bytes, "ab\r\n");
    EXPECT_EQ(target.flushes, 2);

    // Nothing after a zero character is lost: the line end still arrives.
    writer.WriteLine(std::wstring(L"a\0b", 3));
    EXPECT_EQ(target.bytes, std::string("ab\r\na\0b\r\n", 9));

    writer.Close();
    EXPECT_EQ(target.closes, 1);

    RecordingStream quiet;
    StreamWriter manual(quiet, false);
    manual.Write(L"xyz");
    EXPECT_EQ(quiet.flushes, 0);
    manual.Flush();
    EXPECT_EQ(quiet.flushes, 1);
    EXPECT_EQ(quiet.bytes, "xyz");
}

TEST(StreamWriter, ChineseTextInTheAnsiCodePage) {
    RecordingStream target;
    StreamWriter writer(target, true);
    // Long enough that a buffer of two bytes per character would not hold it
    // in a code page with three-byte characters.
    const std::wstring text(300, L'下');
    writer.Write(text);
    if (::GetACP() == 936) {
        std::string expected;
        for (int i = 0; i < 300; ++i) expected += "\xCF\xC2";
        EXPECT_EQ(target.bytes, expected);
    } else {
        EXPECT_FALSE(target.bytes.empty());
    }
}
