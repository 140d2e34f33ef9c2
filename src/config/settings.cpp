#include "config/settings.h"

#include <windows.h>

#include "config/paths.h"
#include "config/text.h"

#ifndef ZAV3D_DEFAULT_BASE_URL
#define ZAV3D_DEFAULT_BASE_URL L"http://127.0.0.1:47631/"
#endif

namespace {

const wchar_t kSection[] = L"Root";
const wchar_t kAppDataMarker[] = L"%appdata%";
const wchar_t kDefaultRxFolder[] = L"Qelo\\Brimvale";

}  // namespace

Settings& AppSettings() {
    static Settings settings;
    return settings;
}

const wchar_t* DefaultBaseUrl() { return ZAV3D_DEFAULT_BASE_URL; }

std::wstring ReadString(const std::wstring& key, const std::wstring& defaultValue) {
    // 256 characters: longer values arrive cut to 255.
    wchar_t buffer[256] = {};
    const DWORD n = ::GetPrivateProfileStringW(kSection, key.c_str(), defaultValue.c_str(), buffer, 256,
                                               AppSettings().settingsPath.c_str());
    return std::wstring(buffer, n);
}

bool ReadBool(const std::wstring& key, bool defaultValue) {
    const std::wstring value = ReadString(key, defaultValue ? L"True" : L"False");
    return ToLowerText(value) == L"true";
}

bool WriteSetting(const std::wstring& key, const std::wstring& value) {
    return ::WritePrivateProfileStringW(kSection, key.c_str(), value.c_str(), AppSettings().settingsPath.c_str()) !=
           FALSE;
}

std::wstring ClientRootFolder() {
    const Settings& s = AppSettings();
    // folderPath is kept in lower case from loading on, so this only reads.
    if (s.folderPath == kAppDataMarker) {
        std::wstring appData = LocalAppDataFolder();
        // Without a per-user folder the loader keeps its data beside itself
        // rather than in a folder relative to whatever the working folder is.
        if (appData.empty()) appData = ModuleFolder();
        return CombinePath(appData, s.rxFolder);
    }
    if (s.folderPath.empty() || s.folderPath == L".") return ModuleFolder();
    return s.folderPath;
}

std::wstring ProgramPath() { return CombinePath(ClientRootFolder(), AppSettings().programName); }

bool InitSettings() { return LoadSettings(CombinePath(ModuleFolder(), L"setting.ini")); }

bool LoadSettings(const std::wstring& candidate) {
    Settings& s = AppSettings();
    std::wstring path = candidate;
    if (!PathExists(path)) {
        s.folderPath = kAppDataMarker;
        s.rxFolder = kDefaultRxFolder;
        path = CombinePath(ClientRootFolder(), L"setting.ini");
    }
    s.settingsPath = path;

    s.baseUrl = ReadString(L"BaseUrl2", DefaultBaseUrl());
    s.autoUpdate = ReadBool(L"AutoUpdate", true);
    s.coverClientConfig = ReadBool(L"CoverClientConfig", true);
    s.clientConfigFileName = ReadString(L"ClientConfigFileName", L"ClientConfig.txt");
    s.programName = ReadString(L"ProgramName", L"Zav3DLauncher.exe");
    s.folderPath = ToLowerText(ReadString(L"FolderPath", L"%AppData%"));
    s.makeFileShortPath = ReadString(L"MakeFileShortPath", L"Brimvale_Data\\StreamingAssets");
    for (const std::wstring& piece : SplitText(ReadString(L"MakeFiles", L"HotFixList.txt,ResourceList.txt"), L",")) {
        if (!piece.empty()) s.makeFiles.push_back(piece);
    }
    s.autoLauncher = ReadBool(L"AutoLauncher", true);
    s.install = ReadBool(L"Install", false);
    s.rxFolder = ReadString(L"RxFolder", kDefaultRxFolder);
    s.rxName = ReadString(L"Rxname", L"QeloOrvane3D.lnk");

    const std::wstring root = ClientRootFolder();
    if (!PathExists(root)) CreateDirectoryTree(root);
    return true;
}
