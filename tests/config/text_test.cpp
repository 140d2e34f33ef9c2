#include <gtest/gtest.h>

#include "config/text.h"

TEST(SplitText, KeepsEmptyPieces) {
    struct Case { const wchar_t* text; const wchar_t* sep; std::vector<std::wstring> pieces; };
    const Case cases[] = {
        {L"a,,b", L",", {L"a", L"", L"b"}},
        {L"a,", L",", {L"a", L""}},
        {L"", L",", {L""}},
        {L"a\r\nb\r\n", L"\r\n", {L"a", L"b", L""}},
        {L"a\nb", L"\r\n", {L"a\nb"}},
        {L"abc", L",", {L"abc"}},
    };
    for (const Case& c : cases) EXPECT_EQ(SplitText(c.text, c.sep), c.pieces) << c.text;
}

TEST(IntToText, FullDecimal) {
    EXPECT_EQ(IntToText(0), L"0");
    EXPECT_EQ(IntToText(-5), L"-5");
    EXPECT_EQ(IntToText(123), L"123");
    EXPECT_EQ(IntToText(1000000000), L"1000000000");
    EXPECT_EQ(IntToText(-999999999), L"-999999999");
    EXPECT_EQ(IntToText(4294967296LL), L"4294967296");
    EXPECT_EQ(IntToText(INT64_MIN), L"-9223372036854775808");
}

TEST(ParseLeadingInteger, ReadsLikeAtoi) {
    struct Case { const wchar_t* text; int64_t value; };
    const Case cases[] = {
        {L"12", 12}, {L"12kb", 12}, {L"abc", 0}, {L"", 0}, {L"  -7", -7}, {L"+3", 3},
        {L" 4beta", 4}, {L"x4", 0}, {L"65536", 65536}, {L"99999999999999999999", INT64_MAX},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseLeadingInteger(c.text), c.value) << c.text;
}

TEST(TextConversions, RoundTrip) {
    const std::wstring chinese = L"下载文件异常，请稍后再试！";
    EXPECT_EQ(WideFromUtf8(Utf8FromWide(chinese)), chinese);
    EXPECT_EQ(WideFromAnsi(NarrowFromWide(chinese, 936), 936), chinese);
    EXPECT_EQ(TrimText(L" \r\n U \r\n"), L"U");
    EXPECT_TRUE(TextEquals(L"abc", L"abc"));
    EXPECT_FALSE(TextEquals(L"abc", L"ABC"));
    EXPECT_EQ(ToLowerText(L"D:\\Games\\X"), L"d:\\games\\x");
}
