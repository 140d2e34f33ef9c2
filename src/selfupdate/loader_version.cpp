#include "selfupdate/loader_version.h"

#include <windows.h>

#include <stdexcept>
#include <tuple>
#include <vector>

#include "config/paths.h"
#include "config/text.h"
#include "framework/unique_any.h"

namespace {

auto Key(const LoaderVersion& v) { return std::make_tuple(v.major, v.minor, v.build, v.revision); }

uint16_t LowWord(int64_t value) { return static_cast<uint16_t>(static_cast<uint64_t>(value) & 0xFFFFu); }

}  // namespace

bool operator==(const LoaderVersion& a, const LoaderVersion& b) { return Key(a) == Key(b); }
bool operator!=(const LoaderVersion& a, const LoaderVersion& b) { return Key(a) != Key(b); }
bool operator<(const LoaderVersion& a, const LoaderVersion& b) { return Key(a) < Key(b); }
bool operator>(const LoaderVersion& a, const LoaderVersion& b) { return Key(b) < Key(a); }
bool operator<=(const LoaderVersion& a, const LoaderVersion& b) { return !(Key(b) < Key(a)); }
bool operator>=(const LoaderVersion& a, const LoaderVersion& b) { return !(Key(a) < Key(b)); }

std::wstring VersionToText(const LoaderVersion& v) {
    return IntToText(v.major) + L"." + IntToText(v.minor) + L"." + IntToText(v.build) + L"." + IntToText(v.revision);
}

LoaderVersion ParseVersion(const std::wstring& text) {
    const std::vector<std::wstring> fields = SplitText(text, L".");
    if (fields.size() != 4) throw std::runtime_error("format error!");
    LoaderVersion version;
    version.major = LowWord(ParseLeadingInteger(fields[0]));
    version.minor = LowWord(ParseLeadingInteger(fields[1]));
    version.build = LowWord(ParseLeadingInteger(fields[2]));
    version.revision = LowWord(ParseLeadingInteger(fields[3]));
    return version;
}

bool ReadProductVersion(const std::wstring& path, LoaderVersion& out) {
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return false;

    fw::UniqueGlobal block(::GlobalAlloc(GMEM_MOVEABLE, size));
    if (!block) return false;
    void* data = ::GlobalLock(block.Get());
    if (!data) return false;

    bool found = false;
    VS_FIXEDFILEINFO* info = nullptr;
    UINT infoSize = 0;
    if (::GetFileVersionInfoW(path.c_str(), 0, size, data) &&
        ::VerQueryValueW(data, L"\\", reinterpret_cast<void**>(&info), &infoSize) && info &&
        infoSize >= sizeof(VS_FIXEDFILEINFO)) {
        out.major = HIWORD(info->dwProductVersionMS);
        out.minor = LOWORD(info->dwProductVersionMS);
        out.build = HIWORD(info->dwProductVersionLS);
        out.revision = LOWORD(info->dwProductVersionLS);
        found = true;
    } else if (::GetLastError() == ERROR_SUCCESS) {
        ::SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    }
    const DWORD error = ::GetLastError();
    ::GlobalUnlock(block.Get());
    ::SetLastError(error);
    return found;
}

bool GetRunningLoaderVersion(LoaderVersion& out) { return ReadProductVersion(ModulePath(), out); }
