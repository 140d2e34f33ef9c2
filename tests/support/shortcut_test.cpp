#include <gtest/gtest.h>

#include <windows.h>
#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <string>
#include <thread>

#include "common/test_folder.h"
#include "config/text.h"
#include "framework/unique_any.h"
#include "support/shortcut.h"

namespace {

// The link's target as the shell reads it back; empty when it cannot be loaded.
std::wstring LinkTarget(const std::wstring& linkPath) {
    fw::ComScope com;
    fw::ComPtr<IShellLinkW> link;
    if (!com.Ok() || FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                               link.PutVoid()))) {
        return L"";
    }
    fw::ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.PutVoid())) ||
        FAILED(file->Load(linkPath.c_str(), STGM_READ))) {
        return L"";
    }
    wchar_t target[MAX_PATH] = {};
    if (FAILED(link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH))) return L"";
    return target;
}

// Runs the call on a fresh thread prepared by `before`; returns the result of
// CoInitializeEx(multithreaded) afterwards, which tells the apartment state
// the call left behind. Everything the thread initialised is undone.
HRESULT ApartmentAfterCall(const std::wstring& target, const std::wstring& link, DWORD before) {
    HRESULT after = E_FAIL;
    std::thread worker([&] {
        const HRESULT prepared = before == DWORD(-1) ? E_FAIL : ::CoInitializeEx(nullptr, before);
        CreateDesktopShortcut(target, link);
        after = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        if (SUCCEEDED(after)) ::CoUninitialize();
        if (SUCCEEDED(prepared)) ::CoUninitialize();
    });
    worker.join();
    return after;
}

}  // namespace

TEST(CreateDesktopShortcut, PointsAtTheTargetAndASecondCallReplacesTheLink) {
    TestFolder folder;
    const std::wstring first = folder.Write(L"Game Client.exe", "MZ");
    const std::wstring second = folder.Write(L"游戏.exe", "MZ");
    const std::wstring link = CombinePath(folder.Path(), L"我的游戏.lnk");

    CreateDesktopShortcut(first, link);
    EXPECT_EQ(ToLowerText(LinkTarget(link)), ToLowerText(first));

    CreateDesktopShortcut(second, link);
    EXPECT_EQ(ToLowerText(LinkTarget(link)), ToLowerText(second));
}

TEST(CreateDesktopShortcut, WritesNothingWhenTheLinkFolderIsMissing) {
    TestFolder folder;
    const std::wstring target = folder.Write(L"game.exe", "MZ");
    const std::wstring missing = CombinePath(folder.Path(), L"no such folder");

    CreateDesktopShortcut(target, CombinePath(missing, L"game.lnk"));

    EXPECT_FALSE(PathExists(missing));
}

TEST(CreateDesktopShortcut, LeavesTheThreadsComStateAsItFoundIt) {
    TestFolder folder;
    const std::wstring target = folder.Write(L"game.exe", "MZ");
    const std::wstring fresh = CombinePath(folder.Path(), L"fresh.lnk");
    const std::wstring single = CombinePath(folder.Path(), L"single.lnk");
    const std::wstring multi = CombinePath(folder.Path(), L"multi.lnk");

    // Not initialised before: not initialised after, so the multithreaded
    // apartment can still be entered.
    EXPECT_EQ(ApartmentAfterCall(target, fresh, DWORD(-1)), S_OK);
    EXPECT_EQ(ToLowerText(LinkTarget(fresh)), ToLowerText(target));

    // In a single-threaded apartment: the call works and the apartment stays.
    EXPECT_EQ(ApartmentAfterCall(target, single, COINIT_APARTMENTTHREADED), RPC_E_CHANGED_MODE);
    EXPECT_EQ(ToLowerText(LinkTarget(single)), ToLowerText(target));

    // In the multithreaded apartment the call must not change it (it gives up).
    EXPECT_EQ(ApartmentAfterCall(target, multi, COINIT_MULTITHREADED), S_FALSE);
}
