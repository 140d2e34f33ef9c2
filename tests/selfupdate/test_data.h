#pragma once
// Locates the test fixtures: ZAV3D_TEST_DATA names the tests/ folder. CTest
// passes a Unix path; under wine that folder is reached through drive Z:.
#include <cstdlib>
#include <string>

#include "config/paths.h"

inline std::wstring TestDataPath(const std::wstring& relative) {
    const wchar_t* root = _wgetenv(L"ZAV3D_TEST_DATA");
    std::wstring folder = root ? root : L"";
    if (!folder.empty() && folder.front() == L'/') folder = L"Z:" + folder;
    for (wchar_t& c : folder) {
        if (c == L'/') c = L'\\';
    }
    return CombinePath(folder, relative);
}
