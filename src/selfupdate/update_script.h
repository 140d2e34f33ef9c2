#pragma once
// The batch script that swaps the loader's executable once the loader has
// ended: a running executable cannot overwrite its own file.
#include <windows.h>

#include <string>

// The 30 lines of the script, each ending in CR LF. newPath is the downloaded
// executable, oldPath the one to replace; both are quoted in the script. A "%"
// in a path is doubled: cmd would otherwise read it as the start of a variable
// and name a different file.
std::wstring BuildUpdateScript(const std::wstring& newPath, const std::wstring& oldPath);

// True when text converts to codePage and back unchanged.
bool SurvivesCodePage(const std::wstring& text, UINT codePage = CP_THREAD_ACP);

// The form of a path that survives conversion to codePage: the path itself,
// else the short (8.3) form of an existing path; empty when neither does. cmd
// reads the script in the ANSI code page, so a path it cannot spell must not
// be written. A short form only suits a path that outlives the script's run.
std::wstring ScriptablePath(const std::wstring& path, UINT codePage = CP_THREAD_ACP);

// Writes the script in codePage without a byte-order mark, replacing an older
// file. False when the file cannot be created or written (GetLastError()
// tells why).
bool WriteUpdateScript(const std::wstring& path, const std::wstring& script, UINT codePage = CP_THREAD_ACP);
