#pragma once
// The resource manifest stage: "Resources.txt" under the base URL lists every
// file of the game client, one "name,hash,size[,kind]" line each.
#include <windows.h>

#include <string>
#include <vector>

#include "framework/task_record.h"
#include "update/file_entry.h"

// Result: the entries whose local copy must be fetched, in manifest order.
using ManifestTask = fw::TaskRecord<std::vector<FileEntry>>;

// The manifest's entries in order. Lines end at "\r\n" only; empty lines and
// lines of fewer than three fields are skipped; a byte-order mark at the start
// is dropped. Size and kind are read as atoi would; kind is 2 when absent.
// False (with the offending name in badName) when a name would leave the
// client root folder: a ".." component, a drive or other colon, a rooted or
// UNC path, a device name, or no file name at all.
bool ParseManifest(const std::wstring& body, std::vector<FileEntry>& entries, std::wstring& badName);

// Thread body (CreateThread): param is a heap ManifestTask. Fetches the
// manifest, checks every entry with NeedsUpdate in manifest order, traces each
// entry's ToString to the debugger output, and then hands the entries that
// need download, or a failure message, to the task's handler, which it calls
// exactly once, last, on this thread. Returns 0. Failures:
//   kManifestFailedText    the request failed in any way, or a name is unsafe
//                          (a "loader-error" line names it); nothing is checked
//                          or created for such a manifest;
//   kFileAccessFailedText  a listed local file exists but cannot be read.
// Nothing escapes it: an exception raised by the handler is logged to
// "loader-error".
DWORD WINAPI FetchManifest(LPVOID param);
