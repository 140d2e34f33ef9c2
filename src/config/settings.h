#pragma once
// The loader's configuration: section "Root" of "setting.ini", loaded once at
// start-up on the window's thread and read by every thread afterwards.
#include <string>
#include <vector>

struct Settings {
    std::wstring settingsPath;
    std::wstring baseUrl;
    bool autoUpdate = true;
    bool coverClientConfig = true;
    std::wstring clientConfigFileName;
    std::wstring programName;
    std::wstring folderPath;
    std::wstring makeFileShortPath;
    std::vector<std::wstring> makeFiles;
    bool autoLauncher = true;
    bool install = false;
    std::wstring rxFolder;
    std::wstring rxName;
};

// The process-wide settings.
Settings& AppSettings();

// The built-in resource server address (BaseUrl2's default).
const wchar_t* DefaultBaseUrl();

bool InitSettings();
bool LoadSettings(const std::wstring& candidate);

std::wstring ReadString(const std::wstring& key, const std::wstring& defaultValue);
bool ReadBool(const std::wstring& key, bool defaultValue);
// Writes one key of section "Root" of the settings file; true on success.
bool WriteSetting(const std::wstring& key, const std::wstring& value);

std::wstring ClientRootFolder();
std::wstring ProgramPath();
