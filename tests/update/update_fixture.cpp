#include "update_fixture.h"

#include "config/text.h"
#include "support/logger.h"
#include "update/md5.h"

void UpdateFixture::SetUp() {
    saved_ = AppSettings();
    Settings& s = AppSettings();
    s.folderPath = folder_.Path();
    s.baseUrl = server_.Url("/p/");
    s.coverClientConfig = true;
    s.clientConfigFileName = L"ClientConfig.txt";
    ClearLoggers();
    InitLogging();
}

void UpdateFixture::TearDown() {
    ClearLoggers();
    AppSettings() = saved_;
}

std::vector<std::wstring> UpdateFixture::LoggedLines(const std::wstring& channel) {
    ClearLoggers();
    const std::wstring path = folder_ / (L"Log\\" + channel + L".log");
    const std::string bytes = ReadBytes(path);
    ::DeleteFileW(path.c_str());
    std::vector<std::wstring> lines;
    if (bytes == "<unreadable>") return lines;
    const std::wstring text = WideFromAnsi(bytes);
    const std::wstring end = L"\n\r\n";
    size_t start = 0;
    for (size_t found; (found = text.find(end, start)) != std::wstring::npos; start = found + end.size()) {
        // "[yyyy-mm-dd hh:mm:ss.mmm] " comes first.
        const std::wstring record = text.substr(start, found - start);
        lines.push_back(record.size() >= 26 ? record.substr(26) : L"<short record>" + record);
    }
    if (start != text.size()) lines.push_back(L"<unterminated>" + text.substr(start));
    return lines;
}

std::wstring HexMd5(const std::string& bytes) {
    Md5 md5;
    md5.Update(bytes.data(), bytes.size());
    return WideFromUtf8(md5.HexDigest());
}
