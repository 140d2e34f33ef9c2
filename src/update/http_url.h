#pragma once
// An address split into the parts WinINet takes.
#include <windows.h>
#include <wininet.h>

#include <string>

struct HttpUrl {
    INTERNET_SCHEME scheme = INTERNET_SCHEME_UNKNOWN;
    std::wstring server;
    std::wstring object;  // path and query, "/" when the address has none
    INTERNET_PORT port = 0;
};

// False when the text is not an absolute address.
bool ParseHttpUrl(const std::wstring& url, HttpUrl& parts);
