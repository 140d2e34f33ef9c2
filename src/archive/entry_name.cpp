#include "archive/entry_name.h"

#include <cwctype>

namespace archive {
namespace {

// Windows drops trailing dots and blanks from a component, so ". ." and
// "..." can end up as "..": anything made only of dots and blanks with more
// than one dot is treated as a parent reference. A single "." stays harmless.
bool IsParentLike(const std::wstring& component) {
    size_t dots = 0;
    for (wchar_t c : component) {
        if (c == L'.') {
            ++dots;
        } else if (c != L' ') {
            return false;
        }
    }
    return dots >= 2;
}

bool IsDeviceDigit(wchar_t c) {
    // Windows also treats the superscript digits 1 to 3 as port numbers.
    return (c >= L'1' && c <= L'9') || c == L'\u00B9' || c == L'\u00B2' || c == L'\u00B3';
}

// The device part of a component is what comes before its first dot, with
// trailing blanks removed: "con.txt" and "NUL .log" both open a device.
bool IsReservedDeviceName(const std::wstring& component) {
    std::wstring base = component.substr(0, component.find(L'.'));
    while (!base.empty() && base.back() == L' ') base.pop_back();
    for (wchar_t& c : base) c = static_cast<wchar_t>(std::towupper(c));
    if (base == L"CON" || base == L"PRN" || base == L"AUX" || base == L"NUL" ||
        base == L"CONIN$" || base == L"CONOUT$") {
        return true;
    }
    if (base.size() == 4 && (base.compare(0, 3, L"COM") == 0 || base.compare(0, 3, L"LPT") == 0)) {
        return IsDeviceDigit(base[3]);
    }
    return false;
}

}  // namespace

bool IsEntrySeparator(wchar_t c) noexcept { return c == L'/' || c == L'\\'; }

bool IsSafeEntryName(const std::wstring& name) {
    if (!name.empty() && IsEntrySeparator(name.front())) return false;
    if (name.find(L':') != std::wstring::npos) return false;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = start;
        while (end < name.size() && !IsEntrySeparator(name[end])) ++end;
        const std::wstring component = name.substr(start, end - start);
        if (IsParentLike(component) || IsReservedDeviceName(component)) return false;
        start = end + 1;
    }
    return true;
}

}  // namespace archive
