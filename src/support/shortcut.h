#pragma once
// The desktop shortcut to the game client.
#include <string>

// Writes a shell link at `linkPath` (a full path ending in ".lnk") that points
// at `target`, replacing a link of that name. Only the target is set; the shell
// picks its defaults for the rest. Every failure is silent: the link simply
// does not appear (or the earlier one stays). COM is initialised for the call
// only, so the thread's COM state is what it was before.
void CreateDesktopShortcut(const std::wstring& target, const std::wstring& linkPath) noexcept;
