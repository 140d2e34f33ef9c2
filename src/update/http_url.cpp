#include "update/http_url.h"

#include <vector>

bool ParseHttpUrl(const std::wstring& url, HttpUrl& parts) {
    if (url.empty()) return false;
    std::vector<wchar_t> host(url.size() + 1);
    std::vector<wchar_t> path(url.size() + 1);
    std::vector<wchar_t> extra(url.size() + 1);
    URL_COMPONENTSW c{};
    c.dwStructSize = sizeof(c);
    c.lpszHostName = host.data();
    c.dwHostNameLength = static_cast<DWORD>(host.size());
    c.lpszUrlPath = path.data();
    c.dwUrlPathLength = static_cast<DWORD>(path.size());
    c.lpszExtraInfo = extra.data();
    c.dwExtraInfoLength = static_cast<DWORD>(extra.size());
    if (!::InternetCrackUrlW(url.c_str(), static_cast<DWORD>(url.size()), 0, &c)) return false;
    parts.scheme = c.nScheme;
    parts.server.assign(c.lpszHostName, c.dwHostNameLength);
    parts.object.assign(c.lpszUrlPath, c.dwUrlPathLength);
    parts.object.append(c.lpszExtraInfo, c.dwExtraInfoLength);
    if (parts.object.empty()) parts.object = L"/";
    parts.port = c.nPort;
    return true;
}
