#include <gtest/gtest.h>

#include <string>

#include "framework/exceptions.h"
#include "common/test_folder.h"
#include "update/digest.h"
#include "update/md5.h"

namespace {

std::wstring DigestOfBytes(const std::string& bytes) {
    Md5 md5;
    md5.Update(bytes.data(), bytes.size());
    const std::string hex = md5.HexDigest();
    return std::wstring(hex.begin(), hex.end());
}

}  // namespace

TEST(ComputeDigest, KnownFiles) {
    TestFolder folder;
    struct Case { std::string bytes; const wchar_t* digest; };
    const Case cases[] = {
        {"", L"d41d8cd98f00b204e9800998ecf8427e"},
        {"abc", L"900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", L"f96b697d7cb7938d525a2f31aaf161d0"},
        {std::string(1000000, 'a'), L"7707d6ae4e027c70eea2a935c2296f21"},
    };
    for (const Case& c : cases) {
        const std::wstring path = folder / L"known.bin";
        WriteBytes(path, c.bytes);
        EXPECT_EQ(ComputeDigest(path), c.digest) << c.bytes.size();
    }
}

TEST(ComputeDigest, SizesAroundTheReadChunk) {
    TestFolder folder;
    for (size_t size : {1u, 2047u, 2048u, 2049u, 4096u, 5000u, 65537u}) {
        const std::string bytes = PatternBytes(size, static_cast<unsigned>(size));
        const std::wstring path = folder / (L"f" + std::to_wstring(size));
        WriteBytes(path, bytes);
        EXPECT_EQ(ComputeDigest(path), DigestOfBytes(bytes)) << size;
    }
}

TEST(ComputeDigest, FileHeldOpenForWritingByAnotherHandle) {
    TestFolder folder;
    const std::wstring path = folder / L"open.bin";
    const std::string bytes = PatternBytes(3000);
    WriteBytes(path, bytes);

    // A writer that shares: the digest is read all the same.
    HANDLE writer = ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ComputeDigest(path), DigestOfBytes(bytes));
    ::CloseHandle(writer);

    // A writer that shares with nobody: the file error reaches the caller.
    HANDLE exclusive = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(exclusive, INVALID_HANDLE_VALUE);
    try {
        ComputeDigest(path);
        ADD_FAILURE() << "a file locked without sharing must raise";
    } catch (const fw::CFileException& e) {
        EXPECT_EQ(e.Error(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
        EXPECT_EQ(e.Path(), path);
    }
    ::CloseHandle(exclusive);

    EXPECT_THROW(ComputeDigest(folder / L"missing.bin"), fw::CFileException);
}
