// Winsock 2 before windows.h (pulled in by the header).
#include <winsock2.h>
#include <ws2tcpip.h>

#include "loopback_server.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

std::string Trim(const std::string& text) {
    size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos) return std::string();
    size_t end = text.find_last_not_of(" \t");
    return text.substr(begin, end - begin + 1);
}

void SendAll(SOCKET s, const std::string& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        const int chunk = static_cast<int>(std::min<size_t>(bytes.size() - sent, 64 * 1024));
        const int n = ::send(s, bytes.data() + sent, chunk, 0);
        if (n <= 0) return;  // the client went away
        sent += static_cast<size_t>(n);
    }
}

const char* Reason(int status) {
    switch (status) {
        case 200: return "OK";
        case 301: return "Moved Permanently";
        case 403: return "Forbidden";
        case 404: return "Not Found";
        case 500: return "Internal Server Error";
        default: return "Status";
    }
}

std::string StatusLine(int status) {
    char line[64];
    std::snprintf(line, sizeof(line), "HTTP/1.1 %d %s\r\n", status, Reason(status));
    return line;
}

}  // namespace

std::string RecordedRequest::Header(const std::string& name) const {
    const std::string wanted = Lower(name);
    for (const auto& header : headers) {
        if (Lower(header.first) == wanted) return header.second;
    }
    return std::string();
}

bool RecordedRequest::HasHeader(const std::string& name) const {
    const std::string wanted = Lower(name);
    for (const auto& header : headers) {
        if (Lower(header.first) == wanted) return true;
    }
    return false;
}

LoopbackServer::LoopbackServer() : listener_(INVALID_SOCKET), stop_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    WSADATA data;
    ::WSAStartup(MAKEWORD(2, 2), &data);
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (s != INVALID_SOCKET && ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
        ::listen(s, 16) == 0) {
        int size = sizeof(address);
        ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &size);
        port_ = ntohs(address.sin_port);
        listener_ = s;
        thread_ = std::thread([this] { Run(); });
    } else if (s != INVALID_SOCKET) {
        ::closesocket(s);
    }
}

LoopbackServer::~LoopbackServer() {
    stopping_ = true;
    ::SetEvent(stop_);
    if (thread_.joinable()) thread_.join();
    if (listener_ != INVALID_SOCKET) ::closesocket(listener_);
    ::CloseHandle(stop_);
    ::WSACleanup();
}

void LoopbackServer::Serve(const std::string& path, CannedReply reply) {
    std::lock_guard<std::mutex> lock(mutex_);
    replies_[path] = std::move(reply);
}

std::wstring LoopbackServer::Url(const std::string& path) const {
    return L"http://127.0.0.1:" + std::to_wstring(port_) + std::wstring(path.begin(), path.end());
}

std::vector<RecordedRequest> LoopbackServer::Requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

std::vector<std::string> LoopbackServer::Targets() const {
    std::vector<std::string> targets;
    for (const RecordedRequest& r : Requests()) targets.push_back(r.target);
    return targets;
}

void LoopbackServer::Run() {
    while (!stopping_) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(static_cast<SOCKET>(listener_), &readable);
        timeval wait{0, 100 * 1000};
        if (::select(0, &readable, nullptr, nullptr, &wait) <= 0) continue;
        SOCKET client = ::accept(static_cast<SOCKET>(listener_), nullptr, nullptr);
        if (client == INVALID_SOCKET) continue;
        Handle(client);
    }
}

void LoopbackServer::Handle(uintptr_t handle) {
    const SOCKET client = static_cast<SOCKET>(handle);
    DWORD timeout = 5000;
    ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof(timeout));

    std::string head;
    char chunk[4096];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < 64 * 1024) {
        const int n = ::recv(client, chunk, sizeof(chunk), 0);
        if (n <= 0) break;
        head.append(chunk, static_cast<size_t>(n));
    }
    if (head.find("\r\n\r\n") == std::string::npos) {
        ::closesocket(client);
        return;
    }

    RecordedRequest request;
    size_t lineEnd = head.find("\r\n");
    request.requestLine = head.substr(0, lineEnd);
    const size_t firstBlank = request.requestLine.find(' ');
    const size_t lastBlank = request.requestLine.rfind(' ');
    if (firstBlank != std::string::npos && lastBlank > firstBlank) {
        request.method = request.requestLine.substr(0, firstBlank);
        request.target = request.requestLine.substr(firstBlank + 1, lastBlank - firstBlank - 1);
    }
    size_t position = lineEnd + 2;
    for (;;) {
        const size_t end = head.find("\r\n", position);
        if (end == std::string::npos || end == position) break;
        const std::string line = head.substr(position, end - position);
        const size_t colon = line.find(':');
        if (colon != std::string::npos) request.headers.emplace_back(line.substr(0, colon), Trim(line.substr(colon + 1)));
        position = end + 2;
    }

    CannedReply reply = CannedReply::Status(404, "<html>not found</html>");
    {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(request);
        auto found = replies_.find(request.target);
        if (found != replies_.end()) reply = found->second;
    }

    using Kind = CannedReply::Kind;
    bool reset = false;
    switch (reply.kind) {
        case Kind::Normal:
            SendAll(client, StatusLine(reply.status) + "Content-Length: " + std::to_string(reply.body.size()) +
                                "\r\nConnection: close\r\n\r\n" + reply.body);
            break;
        case Kind::Chunked: {
            char size[32];
            std::snprintf(size, sizeof(size), "%zx\r\n", reply.body.size());
            std::string answer = StatusLine(reply.status) + "Transfer-Encoding: chunked\r\nConnection: close\r\n\r\n";
            if (!reply.body.empty()) answer += size + reply.body + "\r\n";
            answer += "0\r\n\r\n";
            SendAll(client, answer);
            break;
        }
        case Kind::NoLength:
            SendAll(client, StatusLine(reply.status) + "Connection: close\r\n\r\n" + reply.body);
            break;
        case Kind::CutShort:
            SendAll(client, StatusLine(reply.status) + "Content-Length: " + std::to_string(reply.declaredLength) +
                                "\r\nConnection: close\r\n\r\n" + reply.body);
            break;
        case Kind::Stall:
            ::WaitForSingleObject(stop_, reply.stallMs);
            break;
        case Kind::StallBody:
        case Kind::Reset:
            SendAll(client, StatusLine(reply.status) + "Content-Length: " + std::to_string(reply.declaredLength) +
                                "\r\nConnection: close\r\n\r\n" + reply.body);
            if (reply.kind == Kind::StallBody) {
                ::WaitForSingleObject(stop_, reply.stallMs);
            } else {
                ::Sleep(100);  // let the body arrive before the reset
                reset = true;
            }
            break;
    }

    if (reset) {
        linger abort{1, 0};
        ::setsockopt(client, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abort), sizeof(abort));
    } else {
        // A graceful end: everything sent arrives before the close.
        ::shutdown(client, SD_SEND);
        timeout = 1000;
        ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof(timeout));
        while (::recv(client, chunk, sizeof(chunk), 0) > 0) {
        }
    }
    ::closesocket(client);
}
