#include "update/manifest.h"

#include <cstdint>
#include <exception>
#include <limits>
#include <utility>

#include "archive/entry_name.h"
#include "config/settings.h"
#include "config/text.h"
#include "framework/exceptions.h"
#include "support/logger.h"
#include "update/file_task.h"
#include "update/http_client.h"
#include "update/update_messages.h"

namespace {

int32_t ToKind(int64_t value) {
    if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

bool IsSafeManifestName(const std::wstring& name) {
    // The name is joined to the client root folder and created there: it
    // must name a file below that folder and nothing else.
    if (name.empty() || archive::IsEntrySeparator(name.back())) return false;
    return archive::IsSafeEntryName(name);
}

void Trace(const std::wstring& text) { ::OutputDebugStringW((text + L"\n").c_str()); }

void LogError(const std::wstring& line) { GetLogger(L"loader-error")->Log(line); }

// The stage's work up to the hand-over: the failure message, or null with
// the entries that need download in needed.
const char* CheckManifest(std::vector<FileEntry>& needed) {
    std::wstring body;
    {
        HttpClient client;
        if (HttpGetText(client, AppSettings().baseUrl + L"Resources.txt", body) != 0) return kManifestFailedText;
    }

    std::vector<FileEntry> entries;
    std::wstring badName;
    if (!ParseManifest(body, entries, badName)) {
        LogError(L"资源列表文件名不安全：" + badName);
        return kManifestFailedText;
    }
    for (FileEntry& entry : entries) {
        try {
            if (NeedsUpdate(entry)) needed.push_back(entry);
        } catch (const fw::CFileException& e) {
            LogError(L"文件读取失败：" + (e.Path().empty() ? entry.localPath : e.Path()));
            return kFileAccessFailedText;
        }
        Trace(entry.ToString());
    }
    return nullptr;
}

}  // namespace

bool ParseManifest(const std::wstring& body, std::vector<FileEntry>& entries, std::wstring& badName) {
    std::wstring text = body;
    // A byte-order mark would otherwise become part of the first name, and
    // so of its path and address.
    if (!text.empty() && text.front() == L'\xFEFF') text.erase(0, 1);
    for (const std::wstring& line : SplitText(text, L"\r\n")) {
        if (line.empty()) continue;
        const std::vector<std::wstring> fields = SplitText(line, L",");
        if (fields.size() < 3) {
            Trace(L"skipped manifest line: " + line);
            continue;
        }
        if (!IsSafeManifestName(fields[0])) {
            badName = fields[0];
            return false;
        }
        const int32_t kind = fields.size() >= 4 ? ToKind(ParseLeadingInteger(fields[3])) : 2;
        entries.emplace_back(fields[0], fields[1], ParseLeadingInteger(fields[2]), kind);
    }
    return true;
}

DWORD WINAPI FetchManifest(LPVOID param) {
    ManifestTask* task = static_cast<ManifestTask*>(param);
    std::vector<FileEntry> needed;
    const char* failure = nullptr;
    try {
        failure = CheckManifest(needed);
    } catch (...) {
        failure = kManifestFailedText;  // out of memory and the like
    }

    // The hand-over comes last and only once; the record is the handler's
    // from here on.
    try {
        if (failure) {
            fw::FailTask(task, failure);
        } else {
            fw::CompleteTask(task, std::move(needed));
        }
    } catch (const std::exception& e) {
        try {
            LogError(L"资源列表处理异常：" + WideFromUtf8(e.what()));
        } catch (...) {
        }
    } catch (...) {
        // Nothing may leave a thread entry.
    }
    return 0;
}
