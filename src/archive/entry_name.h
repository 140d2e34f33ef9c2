#pragma once
// Rules for the entry names of an archive. The names come from the resource
// server, so a name must never reach outside the folder it is unpacked into
// or open a device.
#include <string>

namespace archive {

// True for "/" and "\": the archive's own separator is "/", but Windows
// reads a "\" inside a name as one too.
bool IsEntrySeparator(wchar_t c) noexcept;

// False for a name with a ".." component (or any component of dots and
// blanks that Windows would read as one), a drive or any other colon (which
// also names alternate data streams), a leading separator (rooted or UNC),
// or a component that is a reserved device name (CON, PRN, AUX, NUL, COM1-9,
// LPT1-9, CONIN$, CONOUT$, with or without an extension).
bool IsSafeEntryName(const std::wstring& name);

}  // namespace archive
