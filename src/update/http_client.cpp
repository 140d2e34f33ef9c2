#include "update/http_client.h"

#include <cstdio>
#include <vector>

#include "config/paths.h"
#include "config/text.h"
#include "framework/exceptions.h"
#include "update/http_url.h"

namespace {

const DWORD kContext = 1;
const DWORD kSocketTimedOut = 10060;  // WSAETIMEDOUT, passed through by some WinINet versions
const DWORD kTextChunk = 1024;
// File bodies go to disk in 1 KiB pieces, as the text bodies do. (WinINet
// costs about the same per read whatever its size; bench/ measures what this
// buffer costs against 64 KiB reads.)
const DWORD kFileChunk = 1024;

const wchar_t* const kTextHeaders[] = {
    L"Accept: */*,application/json",
    L"Accept-Charset:UTF8",
    L"Accept-Language: zh-cn;q=0.8,en;q=0.6,ja;q=0.4",
    L"Content-Type:application/json",
};

fw::UniqueInternet OpenSession() {
    // Named after the program, as the framework's session would be.
    return fw::UniqueInternet(
        ::InternetOpenW(ApplicationName().c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
}

// Set on the request itself: not every WinINet passes a session's time-outs
// down to its requests.
void SetTimeouts(HINTERNET request, DWORD milliseconds) {
    ::InternetSetOptionW(request, INTERNET_OPTION_RECEIVE_TIMEOUT, &milliseconds, sizeof(milliseconds));
    ::InternetSetOptionW(request, INTERNET_OPTION_SEND_TIMEOUT, &milliseconds, sizeof(milliseconds));
}

[[noreturn]] void ThrowInternetError() { throw fw::CInternetException(::GetLastError()); }

void PrintStatus(DWORD status) {
    std::printf("HTTP_STATUS_code:%d\n", static_cast<int>(status));
    std::fflush(stdout);
}

DWORD StatusCode(HINTERNET request) {
    DWORD status = 0;
    DWORD size = sizeof(status);
    if (!::HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr)) return 0;
    return status;
}

// The Content-Length header as a 64-bit count (files may pass 4 GiB, which
// the header's 32-bit number form cannot give). False when absent or not a
// plain decimal number.
bool ContentLength(HINTERNET request, uint64_t& length) {
    wchar_t text[32] = {};
    DWORD size = sizeof(text);
    if (!::HttpQueryInfoW(request, HTTP_QUERY_CONTENT_LENGTH, text, &size, nullptr)) return false;
    const std::wstring digits = TrimText(std::wstring(text, size / sizeof(wchar_t)));
    if (digits.empty() || digits.size() > 19) return false;
    uint64_t value = 0;
    for (wchar_t c : digits) {
        if (c < L'0' || c > L'9') return false;
        value = value * 10 + static_cast<uint64_t>(c - L'0');
    }
    length = value;
    return true;
}

// Reads into buffer; 0 at the end of the body. A failed read raises.
DWORD ReadSome(HINTERNET request, char* buffer, DWORD size) {
    DWORD read = 0;
    if (!::InternetReadFile(request, buffer, size, &read)) ThrowInternetError();
    return read;
}

// Windows refuses to replace a hidden or system file unless the same flags
// are asked for again (a game archive may have made a file so).
DWORD ReplacementAttributes(const std::wstring& path) {
    constexpr DWORD kGuarded = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    const DWORD existing = ::GetFileAttributesW(path.c_str());
    if (existing == INVALID_FILE_ATTRIBUTES || (existing & kGuarded) == 0) return FILE_ATTRIBUTE_NORMAL;
    return existing & kGuarded;
}

// Some WinINet versions report a silent server that ran out the time-out as
// an aborted connection rather than ERROR_INTERNET_TIMEOUT; a connection that
// failed only after the whole time-out had passed timed out all the same.
bool IsTimeout(DWORD error, ULONGLONG started, DWORD timeoutMs) {
    if (error == ERROR_INTERNET_TIMEOUT) return true;
    if (error != ERROR_INTERNET_CONNECTION_ABORTED && error != ERROR_INTERNET_CONNECTION_RESET &&
        error != kSocketTimedOut) {
        return false;
    }
    return started != 0 && ::GetTickCount64() - started >= timeoutMs - timeoutMs / 10;
}

}  // namespace

HttpClient::HttpClient() : timeoutMs_(kDefaultTimeoutMs), session_(OpenSession()) {}

HttpClient::~HttpClient() {
    ReleaseRequest();
    session_.Reset();
}

void HttpClient::ReleaseRequest() noexcept {
    request_.Reset();
    connection_.Reset();
}

int32_t HttpGetText(HttpClient& client, const std::wstring& url, std::wstring& out) {
    HttpUrl parts;
    if (!ParseHttpUrl(url, parts)) return 1;
    const bool secure = parts.scheme == INTERNET_SCHEME_HTTPS;
    if (!secure && parts.scheme != INTERNET_SCHEME_HTTP) return 1;

    ULONGLONG started = 0;
    try {
        if (!client.session_) ThrowInternetError();
        ::InternetSetOptionW(client.session_.Get(), INTERNET_OPTION_CONNECT_TIMEOUT, &client.timeoutMs_,
                             sizeof(client.timeoutMs_));
        DWORD connectFlags = INTERNET_FLAG_KEEP_CONNECTION;
        // Never let WinINet serve a cached copy, nor keep one: the manifest and
        // the version page must be the server's current ones.
        DWORD requestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;
        if (secure) {
            connectFlags |= INTERNET_FLAG_SECURE;
            requestFlags |= INTERNET_FLAG_SECURE | INTERNET_FLAG_IGNORE_CERT_CN_INVALID;
        }
        client.connection_.Reset(::InternetConnectW(client.session_.Get(), parts.server.c_str(), parts.port, nullptr,
                                                    nullptr, INTERNET_SERVICE_HTTP, connectFlags, kContext));
        if (!client.connection_) ThrowInternetError();
        client.request_.Reset(::HttpOpenRequestW(client.connection_.Get(), L"GET", parts.object.c_str(), nullptr,
                                                 nullptr, nullptr, requestFlags, kContext));
        if (!client.request_) ThrowInternetError();
        SetTimeouts(client.request_.Get(), client.timeoutMs_);
        for (const wchar_t* header : kTextHeaders) {
            const std::wstring line = std::wstring(header) + L"\r\n";
            if (!::HttpAddRequestHeadersW(client.request_.Get(), line.c_str(), static_cast<DWORD>(line.size()),
                                          HTTP_ADDREQ_FLAG_ADD_IF_NEW)) {
                ThrowInternetError();
            }
        }
        started = ::GetTickCount64();
        if (!::HttpSendRequestW(client.request_.Get(), nullptr, 0, nullptr, 0)) ThrowInternetError();

        const DWORD status = StatusCode(client.request_.Get());
        PrintStatus(status);
        const int32_t result = status == 200 ? 0 : 1;

        // Every byte is kept, zero bytes too: a zero inside the body must not
        // cut off what follows it.
        std::string body;
        std::vector<char> chunk(kTextChunk);
        for (;;) {
            const DWORD n = ReadSome(client.request_.Get(), chunk.data(), kTextChunk);
            if (n == 0) break;
            body.append(chunk.data(), n);
        }
        out = WideFromUtf8(body);
        client.ReleaseRequest();
        return result;
    } catch (const fw::CInternetException& e) {
        client.ReleaseRequest();
        out = L"CInternetException\n";
        return IsTimeout(e.Error(), started, client.timeoutMs_) ? 2 : 1;
    } catch (...) {
        // Out of memory for the body: a failed request like any other.
        client.ReleaseRequest();
        out = L"CInternetException\n";
        return 1;
    }
}

bool DownloadToFile(const std::wstring& url, const std::wstring& path, std::atomic<int64_t>* counter) {
    // Released in the reverse order of declaration: request, connection, session, file.
    fw::UniqueFile file;
    fw::UniqueInternet session(OpenSession());
    fw::UniqueInternet connection;
    fw::UniqueInternet request;
    if (!session) ThrowInternetError();

    DWORD connectTimeout = 2000;
    DWORD connectRetries = 5;
    ::InternetSetOptionW(session.Get(), INTERNET_OPTION_CONNECT_TIMEOUT, &connectTimeout, sizeof(connectTimeout));
    ::InternetSetOptionW(session.Get(), INTERNET_OPTION_CONNECT_RETRIES, &connectRetries, sizeof(connectRetries));

    HttpUrl parts;
    if (!ParseHttpUrl(url, parts)) return false;
    connection.Reset(::InternetConnectW(session.Get(), parts.server.c_str(), parts.port, nullptr, nullptr,
                                        INTERNET_SERVICE_HTTP, 0, kContext));
    if (!connection) ThrowInternetError();
    // RELOAD alone still leaves a full copy of every download in the user's
    // internet cache: game files must never be written twice.
    request.Reset(::HttpOpenRequestW(connection.Get(), L"GET", parts.object.c_str(), nullptr, nullptr, nullptr,
                                     INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, kContext));
    if (!request) ThrowInternetError();
    SetTimeouts(request.Get(), kDefaultTimeoutMs);
    if (!::HttpSendRequestW(request.Get(), nullptr, 0, nullptr, 0)) return false;
    if (StatusCode(request.Get()) != 200) return false;

    file.Reset(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                             ReplacementAttributes(path), nullptr));
    // A file held by another program is a file error, not a missing download:
    // the player is told to close that program.
    if (!file) throw fw::CFileException(::GetLastError(), path);

    uint64_t expected = 0;
    if (!ContentLength(request.Get(), expected)) return false;

    std::vector<char> buffer(kFileChunk);
    uint64_t total = 0;
    for (;;) {
        const DWORD n = ReadSome(request.Get(), buffer.data(), kFileChunk);
        if (n == 0) break;
        DWORD written = 0;
        if (!::WriteFile(file.Get(), buffer.data(), n, &written, nullptr)) {
            throw fw::CFileException(::GetLastError(), path);
        }
        total += written;
        if (counter) counter->store(static_cast<int64_t>(total));
        if (written != n) throw fw::CFileException(ERROR_HANDLE_DISK_FULL, path);
    }
    return total == expected;
}
