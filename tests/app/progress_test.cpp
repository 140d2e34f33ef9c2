#include <gtest/gtest.h>

#include "app/pipeline.h"
#include "app/progress.h"
#include "update/file_entry.h"

TEST(FormatByteSize, RoundsDownToHundredthsOfTheLargestUnit) {
    struct Case { double value; const wchar_t* text; };
    const Case cases[] = {
        {0, L"0.00B"},           {1, L"1.00B"},         {1024, L"1024.00B"},     {1025, L"1.00KB"},
        {1536, L"1.50KB"},       {1048576, L"1024.00KB"}, {6366000, L"6.07MB"},  {60110000, L"57.32MB"},
        {3221225472.0, L"3.00GB"}, {1099511627776.0 * 2048, L"2.00PB"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatByteSize(c.value), c.text) << c.value;
}

TEST(DetailText, KeepsSixtyCharacters) {
    const std::wstring sixty(60, L'x');
    EXPECT_EQ(ShortenDetailText(sixty), sixty);
    EXPECT_EQ(ShortenDetailText(sixty + L"y"), sixty + L"...");
    EXPECT_EQ(ShortenDetailText(L""), L"");
    EXPECT_EQ(ProgressDetailText(ProgressTick{1536, 6366000, 1024, 0}),
              L"下载大小：1.50KB/6.07MB 下载速度：1024.00B");
}

TEST(SelectEntries, KeepsTheKindOfTheRunInManifestOrder) {
    const std::vector<FileEntry> needed = {FileEntry(L"a", L"h", 1, 1), FileEntry(L"b", L"h", 2, 2),
                                           FileEntry(L"c", L"h", 3, 1), FileEntry(L"d", L"h", 4, 7)};
    const auto first = SelectEntries(needed, false);
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(first[0].name, L"a");
    EXPECT_EQ(first[1].name, L"c");
    const auto installed = SelectEntries(needed, true);
    ASSERT_EQ(installed.size(), 1u);
    EXPECT_EQ(installed[0].name, L"b");
}

TEST(IsArchiveToUnpack, OnlyKindOneWithTheExactExtension) {
    EXPECT_TRUE(IsArchiveToUnpack(FileEntry(L"Data\\x.7z", L"h", 1, 1)));
    EXPECT_FALSE(IsArchiveToUnpack(FileEntry(L"Data\\x.7Z", L"h", 1, 1)));
    EXPECT_FALSE(IsArchiveToUnpack(FileEntry(L"Data\\x.7z", L"h", 1, 2)));
    EXPECT_FALSE(IsArchiveToUnpack(FileEntry(L"Data\\x.7z.bin", L"h", 1, 1)));
}

TEST(ProgressTick, CountsDoneTotalAndSpeedAcrossFiles) {
    ProgressState progress;
    FileEntry a(L"a", L"h", 1000, 1);
    FileEntry b(L"b", L"h", 3000, 1);
    progress.AddToTotal(4000);

    progress.OnFileStarted(a);
    a.received = 400;
    ProgressTick t = progress.Tick();
    EXPECT_EQ(t.done, 400);
    EXPECT_EQ(t.total, 4000);
    EXPECT_EQ(t.speed, 400);
    EXPECT_EQ(t.percent, 10);

    a.received = 1000;
    progress.OnFileCounted(a);
    // A tick between two files counts the finished file once.
    t = progress.Tick();
    EXPECT_EQ(t.done, 1000);
    EXPECT_EQ(t.speed, 600);

    progress.OnFileStarted(b);
    b.received = 2000;
    t = progress.Tick();
    EXPECT_EQ(t.done, 3000);
    EXPECT_EQ(t.speed, 2000);
    EXPECT_EQ(t.percent, 75);

    b.received = 3000;
    progress.OnFileCounted(b);
    t = progress.Tick();
    EXPECT_EQ(t.done, 4000);
    EXPECT_EQ(t.speed, 1000);
    EXPECT_EQ(t.percent, 100);
    t = progress.Tick();
    EXPECT_EQ(t.speed, 0);
}

TEST(ProgressTick, ZeroTotalKeepsZeroPercentAndLargeRunsCount) {
    ProgressState empty;
    FileEntry zero(L"z", L"h", 0, 1);
    empty.OnFileStarted(zero);
    EXPECT_EQ(empty.Tick().percent, 0);

    ProgressState large;
    const int64_t gib = int64_t{1} << 30;
    FileEntry big(L"big", L"h", 3 * gib, 1);
    large.AddToTotal(6 * gib);
    large.OnFileStarted(big);
    big.received = 3 * gib;
    large.OnFileCounted(big);
    const ProgressTick t = large.Tick();
    EXPECT_EQ(t.done, 3 * gib);
    EXPECT_EQ(t.speed, 3 * gib);
    EXPECT_EQ(t.percent, 50);
}
