#pragma once
// Path helpers. Paths are wide text with backslashes.
#include <string>

// Exactly one backslash between a and b; an empty side gives the other.
std::wstring CombinePath(const std::wstring& a, const std::wstring& b);
// The text after the last backslash (the whole path without one).
std::wstring FileNameOf(const std::wstring& path);
// The text from the last "." on, the "." included; empty without a ".".
std::wstring ExtensionOf(const std::wstring& path);
// Before the last backslash when the path has a "." and a backslash;
// otherwise the path itself (a path without "." counts as a folder).
std::wstring FolderOf(const std::wstring& path);

std::wstring ModulePath();    // the running executable
std::wstring ModuleFolder();  // ModulePath without its last component
// The executable's file name without its extension: the caption of every
// message box of the update, and the base of the old path in self-update.
std::wstring ApplicationName();

// Special folders in their short 8.3 form; empty when they cannot be found.
std::wstring LocalAppDataFolder();
std::wstring DesktopFolder();

bool PathExists(const std::wstring& path);
// Creates every missing folder along the path; failures are ignored.
void CreateDirectoryTree(const std::wstring& path);
// Copies, overwriting an existing destination.
bool CopyFileTo(const std::wstring& source, const std::wstring& destination);
// Starts a command line with WinExec in the thread's ANSI code page; the
// result is not looked at.
void RunCommand(const std::wstring& commandLine);
