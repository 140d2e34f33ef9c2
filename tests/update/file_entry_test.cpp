#include <gtest/gtest.h>

#include <vector>

#include "update/file_entry.h"

TEST(FileEntry, ConstructionAndTextForm) {
    const FileEntry entry(L"Data\\a.bin", L"00ff", 12, 1);
    EXPECT_EQ(entry.ToString(), L"{name:Data\\a.bin, hash:00ff, size:12}");
    EXPECT_FALSE(entry.resolved);
    EXPECT_TRUE(entry.url.empty());
    EXPECT_TRUE(entry.localPath.empty());
    EXPECT_EQ(entry.kind, 1);
    EXPECT_EQ(entry.received.load(), 0);

    struct Case { int64_t size; const wchar_t* text; };
    const Case cases[] = {
        {123, L"{name:n, hash:h, size:123}"},
        {0, L"{name:n, hash:h, size:0}"},
        {1000000000, L"{name:n, hash:h, size:1000000000}"},
        {5368709120LL, L"{name:n, hash:h, size:5368709120}"},  // 5 GiB
        {-1, L"{name:n, hash:h, size:-1}"},
    };
    for (const Case& c : cases) EXPECT_EQ(FileEntry(L"n", L"h", c.size, 2).ToString(), c.text);
}

TEST(FileEntry, CopiesCarryEveryFieldAndTheCounter) {
    FileEntry entry(L"big.pak", L"abc", 3LL << 31, 2);
    entry.received = 5000000000LL;
    entry.resolved = true;
    entry.url = L"http://h/big.pak";
    entry.localPath = L"C:\\Game\\big.pak";

    std::vector<FileEntry> list;
    list.push_back(entry);
    list.push_back(entry);  // reallocation copies the first again
    for (const FileEntry& copy : list) {
        EXPECT_EQ(copy.name, entry.name);
        EXPECT_EQ(copy.hash, entry.hash);
        EXPECT_EQ(copy.size, entry.size);
        EXPECT_EQ(copy.received.load(), 5000000000LL);
        EXPECT_EQ(copy.kind, 2);
        EXPECT_TRUE(copy.resolved);
        EXPECT_EQ(copy.url, entry.url);
        EXPECT_EQ(copy.localPath, entry.localPath);
    }
    FileEntry assigned;
    assigned = entry;
    EXPECT_EQ(assigned.received.load(), 5000000000LL);
    EXPECT_EQ(assigned.ToString(), entry.ToString());
}
