#pragma once
// The version-check stage: asks the resource server for the newest loader
// version and where its executable can be downloaded.
#include <windows.h>

#include <string>

#include "framework/task_record.h"
#include "selfupdate/loader_version.h"

struct VersionCheckResult {
    LoaderVersion version;
    std::wstring url;  // the newest loader executable, blanks and line ends removed
};

using VersionCheckTask = fw::TaskRecord<VersionCheckResult>;

// The stage's one failure message (UTF-8): the page could not be fetched or
// did not say what it must.
extern const char kVersionCheckFailedText[];

// The version page's body: "<version>,<url>[,anything]". False when field 0
// is not a four-field version or there is no field 1; out is then untouched.
bool ParseVersionPage(const std::wstring& body, VersionCheckResult& out);

// Thread body (CreateThread): param is a heap VersionCheckTask. Fetches
// "update.html" under the base URL and hands the result, or
// kVersionCheckFailedText, to the task's handler, which it calls exactly once
// on this thread. Returns 0. Nothing escapes it: an exception raised by the
// handler is logged to "loader-error".
DWORD WINAPI RunVersionCheck(LPVOID param);
