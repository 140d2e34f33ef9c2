#pragma once
// Text conversions and small text operations. Every conversion between
// narrow and wide text in the program goes through these functions.
#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>

// Narrow text in the given code page (the system's ANSI code page by default).
std::wstring WideFromAnsi(const std::string& text, UINT codePage = CP_ACP);
std::string NarrowFromWide(const std::wstring& text, UINT codePage = CP_ACP);
std::wstring WideFromUtf8(const std::string& text);
std::string Utf8FromWide(const std::wstring& text);

// Full decimal form with a leading "-" for negative values.
std::wstring IntToText(int64_t value);

// Splits at every occurrence of a non-empty separator. Empty pieces are kept:
// "a,,b" gives a, "", b; "a," gives a, ""; "" gives one empty piece.
std::vector<std::wstring> SplitText(const std::wstring& text, const std::wstring& separator);

// Exact, case-sensitive comparison of the characters up to the first zero.
bool TextEquals(const wchar_t* a, const wchar_t* b);

std::wstring ToLowerText(std::wstring text);

// White space (iswspace) removed at both ends.
std::wstring TrimText(const std::wstring& text);

// Reads a decimal integer the way atoi does: leading white space skipped, an
// optional sign, digits up to the first non-digit; 0 without digits. Values
// beyond the 64-bit range saturate.
int64_t ParseLeadingInteger(const std::wstring& text);
