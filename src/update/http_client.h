#pragma once
// HTTP over WinINet: small text documents (the manifest, the version page) and
// file downloads. Every internet handle has one owner; nothing is cached.
#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "framework/unique_any.h"

// Without a time-out of its own a request to a server that accepts but never
// answers could wait for ever (some WinINet versions set none).
const DWORD kDefaultTimeoutMs = 30000;

// A WinINet session for text requests, with the connection and request of the
// request under way. The session is opened by the constructor and kept for
// reuse; HttpGetText releases the connection and request before it returns.
// Destruction releases request, connection and session, in that order.
class HttpClient {
public:
    HttpClient();
    ~HttpClient();
    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;

    // How long a request may wait for the server to accept, take or answer
    // it before it ends with a time-out; kDefaultTimeoutMs unless set.
    void SetTimeout(DWORD milliseconds) noexcept { timeoutMs_ = milliseconds; }
    DWORD Timeout() const noexcept { return timeoutMs_; }

private:
    friend int32_t HttpGetText(HttpClient& client, const std::wstring& url, std::wstring& out);

    void ReleaseRequest() noexcept;

    DWORD timeoutMs_;
    fw::UniqueInternet session_;
    fw::UniqueInternet connection_;
    fw::UniqueInternet request_;
};

// GETs url (http or https) and returns:
//   0  status 200; out holds the body, read as UTF-8;
//   1  not an http/https address (out unchanged, nothing sent), a status other
//      than 200 (out holds the body all the same), or a network error other
//      than a time-out (out is "CInternetException\n");
//   2  the request timed out (ERROR_INTERNET_TIMEOUT; out is
//      "CInternetException\n").
// Writes "HTTP_STATUS_code:<status>\n" to standard output for every answer.
// Never raises.
int32_t HttpGetText(HttpClient& client, const std::wstring& url, std::wstring& out);

// GETs url into the file at path (created anew once the server answers 200)
// and returns true only for a complete transfer: status 200, a Content-Length
// header and exactly that many bytes written. False for a request that could
// not be sent, any other status, a missing Content-Length or a short or long
// body; a partial file stays on disk. The server gets 2 s to accept, with 5
// retries, and kDefaultTimeoutMs to answer or go on sending. The running byte count is stored into
// counter (when not null) after every write.
// Raises fw::CFileException when the local file cannot be created or written,
// fw::CInternetException when WinINet fails after the request was sent (or
// cannot set one up at all), so that callers can tell the two apart.
bool DownloadToFile(const std::wstring& url, const std::wstring& path, std::atomic<int64_t>* counter);
