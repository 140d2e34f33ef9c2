#include "selfupdate/version_check.h"

#include <stdexcept>
#include <vector>

#include "config/settings.h"
#include "config/text.h"
#include "support/logger.h"
#include "update/http_client.h"

const char kVersionCheckFailedText[] = "获取版本信息异常，请稍后再试！";

bool ParseVersionPage(const std::wstring& body, VersionCheckResult& out) {
    const std::vector<std::wstring> fields = SplitText(body, L",");
    if (fields.size() < 2) return false;
    LoaderVersion version;
    try {
        version = ParseVersion(fields[0]);
    } catch (const std::runtime_error&) {
        return false;
    }
    out.version = version;
    out.url = TrimText(fields[1]);
    return true;
}

namespace {

// The client (session, connection, request) is gone before the handler runs:
// the handler may download the new loader or start the next stage, and holds
// the thread for a long time.
bool FetchVersionPage(VersionCheckResult& result) {
    const std::wstring url = AppSettings().baseUrl + L"update.html";
    std::wstring body;
    {
        HttpClient client;
        if (HttpGetText(client, url, body) != 0) return false;
    }
    if (ParseVersionPage(body, result)) return true;
    GetLogger(L"loader-error")->Log(L"version page " + url + L" is not \"a.b.c.d,url\": " + body.substr(0, 200));
    return false;
}

void LogHandlerFailure(const char* what) noexcept {
    try {
        GetLogger(L"loader-error")->Log(L"version check handler failed: " + WideFromUtf8(what));
    } catch (...) {
        // Nothing may leave the thread; the process carries on without the record.
    }
}

}  // namespace

DWORD WINAPI RunVersionCheck(LPVOID param) {
    auto* task = static_cast<VersionCheckTask*>(param);
    VersionCheckResult result;
    bool fetched = false;
    try {
        fetched = FetchVersionPage(result);
    } catch (...) {
        fetched = false;  // out of memory and the like: the page counts as unreachable
    }
    try {
        if (fetched) {
            fw::CompleteTask(task, std::move(result));
        } else {
            fw::FailTask(task, kVersionCheckFailedText);
        }
    } catch (const std::exception& e) {
        LogHandlerFailure(e.what());
    } catch (...) {
        LogHandlerFailure("unknown exception");
    }
    return 0;
}
