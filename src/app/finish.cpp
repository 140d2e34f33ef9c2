#include "app/finish.h"

#include <windows.h>

#include "app/main_dialog.h"
#include "app/pipeline.h"
#include "config/paths.h"
#include "config/settings.h"
#include "framework/unique_any.h"
#include "support/shortcut.h"

namespace {

void CompleteFirstInstallation() {
    Settings& settings = AppSettings();
    std::wstring target = ModulePath();
    const std::wstring root = ClientRootFolder();
    if (root != ModuleFolder()) {
        const std::wstring copyPath = CombinePath(root, FileNameOf(target));
        // An existing loader there is kept; the shortcut points at it either way.
        if (!PathExists(copyPath)) CopyFileTo(target, copyPath);
        target = copyPath;
    }
    CreateDesktopShortcut(target, CombinePath(DesktopFolder(), settings.rxName));
    settings.install = true;
    WriteSetting(L"BaseUrl2", settings.baseUrl);
    WriteSetting(L"Install", L"True");
}

}  // namespace

void FinishUpdate() {
    CZav3DLoaderDlg* dialog = CZav3DLoaderDlg::Main();
    if (dialog) dialog->SetStatusText(L"");
    SetDetailText(L"更新完成......");
    if (!AppSettings().install) CompleteFirstInstallation();
    if (AppSettings().autoLauncher) LaunchGame();
    if (dialog) dialog->SetStartButtonLook(true);
}

void LaunchGame() {
    const Settings& settings = AppSettings();
    const std::wstring markerFolder = CombinePath(ClientRootFolder(), settings.makeFileShortPath);
    if (PathExists(markerFolder)) {
        for (const std::wstring& name : settings.makeFiles) {
            const std::wstring path = CombinePath(markerFolder, name);
            if (PathExists(path)) continue;
            // CREATE_NEW: a file that appeared meanwhile keeps its content. A marker
            // that cannot be made does not keep the player from the game.
            fw::UniqueFile marker(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                                FILE_ATTRIBUTE_NORMAL, nullptr));
        }
    }
    // The whole command line is the program's path, unquoted, with nothing added.
    RunCommand(ProgramPath());
    ::ExitProcess(0);
}
