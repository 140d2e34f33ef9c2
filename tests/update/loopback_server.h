#pragma once
// A small HTTP/1.1 server on 127.0.0.1 for the network tests: canned replies
// per request path, some of them misbehaving on purpose, and a record of every
// request received. One connection at a time, each closed after its reply.
// Every wait is bounded; destruction ends a stall at once.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <map>
#include <string>
#include <thread>
#include <utility>
#include <vector>

struct CannedReply {
    enum class Kind {
        Normal,     // status, Content-Length, body
        Chunked,    // status, Transfer-Encoding: chunked, no Content-Length
        NoLength,   // status and body without Content-Length, ended by closing
        CutShort,   // Content-Length = declaredLength, only the body sent, then closed
        Stall,      // the request is read, nothing is answered until stallMs pass
        StallBody,  // headers with Content-Length = declaredLength, the body, then stallMs of silence
        Reset,      // headers with Content-Length = declaredLength, the body, then a connection reset
    };
    Kind kind = Kind::Normal;
    int status = 200;
    std::string body;
    uint64_t declaredLength = 0;
    DWORD stallMs = 8000;

    static CannedReply Ok(std::string body) { return Make(Kind::Normal, 200, std::move(body)); }
    static CannedReply Status(int status, std::string body) { return Make(Kind::Normal, status, std::move(body)); }
    static CannedReply Make(Kind kind, int status, std::string body, uint64_t declared = 0) {
        CannedReply r;
        r.kind = kind;
        r.status = status;
        r.body = std::move(body);
        r.declaredLength = declared;
        return r;
    }
};

struct RecordedRequest {
    std::string requestLine;
    std::string method;
    std::string target;
    std::vector<std::pair<std::string, std::string>> headers;  // in the order received

    // The value of the first header with that name (any case), or "" when absent.
    std::string Header(const std::string& name) const;
    bool HasHeader(const std::string& name) const;
};

class LoopbackServer {
public:
    LoopbackServer();
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    // Paths are request targets as sent ("/p/a.bin"). Unknown paths get 404.
    void Serve(const std::string& path, CannedReply reply);
    std::wstring Url(const std::string& path) const;  // "http://127.0.0.1:<port>" + path
    std::wstring BaseUrl() const { return Url("/"); }
    int Port() const { return port_; }
    std::vector<RecordedRequest> Requests() const;
    std::vector<std::string> Targets() const;

private:
    void Run();
    void Handle(uintptr_t client);

    uintptr_t listener_;
    int port_ = 0;
    HANDLE stop_;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    std::map<std::string, CannedReply> replies_;
    std::vector<RecordedRequest> requests_;
    std::thread thread_;
};
