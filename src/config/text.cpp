#include "config/text.h"

#include <cwchar>
#include <cwctype>
#include <limits>

namespace {

std::wstring ToWide(const char* data, size_t size, UINT codePage) {
    if (size == 0) return std::wstring();
    const int n = ::MultiByteToWideChar(codePage, 0, data, static_cast<int>(size), nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring out(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(codePage, 0, data, static_cast<int>(size), &out[0], n);
    return out;
}

std::string ToNarrow(const wchar_t* data, size_t size, UINT codePage) {
    if (size == 0) return std::string();
    const int n = ::WideCharToMultiByte(codePage, 0, data, static_cast<int>(size), nullptr, 0, nullptr, nullptr);
    if (n <= 0) return std::string();
    std::string out(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(codePage, 0, data, static_cast<int>(size), &out[0], n, nullptr, nullptr);
    return out;
}

}  // namespace

std::wstring WideFromAnsi(const std::string& text, UINT codePage) { return ToWide(text.data(), text.size(), codePage); }
std::string NarrowFromWide(const std::wstring& text, UINT codePage) { return ToNarrow(text.data(), text.size(), codePage); }
std::wstring WideFromUtf8(const std::string& text) { return ToWide(text.data(), text.size(), CP_UTF8); }
std::string Utf8FromWide(const std::wstring& text) { return ToNarrow(text.data(), text.size(), CP_UTF8); }

std::wstring IntToText(int64_t value) {
    // Built from the unsigned magnitude so that the most negative value works too.
    const bool negative = value < 0;
    uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    wchar_t buffer[24];
    wchar_t* p = buffer + 24;
    do {
        *--p = static_cast<wchar_t>(L'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (negative) *--p = L'-';
    return std::wstring(p, buffer + 24);
}

std::vector<std::wstring> SplitText(const std::wstring& text, const std::wstring& separator) {
    std::vector<std::wstring> pieces;
    if (separator.empty()) {
        pieces.push_back(text);
        return pieces;
    }
    size_t position = 0;
    for (;;) {
        const size_t found = text.find(separator, position);
        if (found == std::wstring::npos) {
            pieces.push_back(text.substr(position));
            return pieces;
        }
        pieces.push_back(text.substr(position, found - position));
        position = found + separator.size();
    }
}

bool TextEquals(const wchar_t* a, const wchar_t* b) {
    if (!a || !b) return a == b;
    return std::wcscmp(a, b) == 0;
}

std::wstring ToLowerText(std::wstring text) {
    if (!text.empty()) ::CharLowerBuffW(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

std::wstring TrimText(const std::wstring& text) {
    size_t begin = 0;
    size_t end = text.size();
    while (end > begin && std::iswspace(text[end - 1])) --end;
    while (begin < end && std::iswspace(text[begin])) ++begin;
    return text.substr(begin, end - begin);
}

int64_t ParseLeadingInteger(const std::wstring& text) {
    size_t i = 0;
    while (i < text.size() && std::iswspace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        negative = text[i] == L'-';
        ++i;
    }
    const uint64_t limit = negative ? static_cast<uint64_t>(std::numeric_limits<int64_t>::max()) + 1
                                    : static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
    uint64_t value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        const uint64_t digit = static_cast<uint64_t>(text[i] - L'0');
        if (value > (limit - digit) / 10) {
            value = limit;
            break;
        }
        value = value * 10 + digit;
    }
    if (negative) return value == limit ? std::numeric_limits<int64_t>::min() : -static_cast<int64_t>(value);
    return static_cast<int64_t>(value);
}
