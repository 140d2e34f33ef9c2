// The digest pass natively: every file of a list opened, read front to back
// in pieces of 2048 bytes (the loader's piece size), hashed and closed, with
// either OpenSSL's MD5 or the loader's own Md5 (src/update/md5.cpp, compiled
// for this machine). Same loop, same reads: only the hash differs.
//
//   md5_loop <openssl|product> <list> [root]
//   md5_loop <openssl|product> --memory <MiB>
//       the hash alone: a buffer of that size (fixed bytes) fed in pieces of
//       2048 bytes, without any file
//
// The list holds manifest lines ("name,md5,size[,kind]", names relative to
// root with "\" separators). Every digest is checked against the list; a
// mismatch fails the run. Prints one line:
//   RESULT seconds=<s> bytes=<n> files=<n>
#include <fcntl.h>
#include <openssl/md5.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "update/md5.h"

namespace {

struct Item {
    std::string path;
    std::string md5;
};

std::vector<Item> ReadList(const std::string& listPath, const std::string& root) {
    std::vector<Item> items;
    std::ifstream in(listPath, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t a = line.find(',');
        const size_t b = line.find(',', a + 1);
        if (a == std::string::npos || b == std::string::npos) continue;
        std::string name = line.substr(0, a);
        for (char& c : name) {
            if (c == '\\') c = '/';
        }
        items.push_back({root.empty() ? name : root + "/" + name, line.substr(a + 1, b - a - 1)});
    }
    return items;
}

std::string Hex(const unsigned char* digest) {
    static const char kHex[] = "0123456789abcdef";
    std::string text;
    for (int i = 0; i < 16; ++i) {
        text += kHex[digest[i] >> 4];
        text += kHex[digest[i] & 15];
    }
    return text;
}

// OpenSSL's low-level MD5 interface: the fastest it has (hand-written
// assembly on x86-64), without the EVP layer's dispatch.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
struct OpenSslMd5 {
    MD5_CTX context;
    OpenSslMd5() { MD5_Init(&context); }
    void Update(const void* data, size_t size) { MD5_Update(&context, data, size); }
    std::string HexDigest() {
        unsigned char digest[16];
        MD5_Final(digest, &context);
        return Hex(digest);
    }
};
#pragma GCC diagnostic pop

struct ProductMd5 {
    Md5 md5;
    void Update(const void* data, size_t size) { md5.Update(data, size); }
    std::string HexDigest() { return md5.HexDigest(); }
};

// The loader's loop: the piece is the file's length when below 2048.
template <typename Hash>
std::string DigestOf(const std::string& path, uint64_t& bytes) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) {
        std::perror(path.c_str());
        return std::string();
    }
    struct stat info;
    ::fstat(fd, &info);
    const size_t chunk = info.st_size < 2048 ? static_cast<size_t>(info.st_size) : 2048;
    unsigned char buffer[2048];
    Hash hash;
    for (;;) {
        const ssize_t n = ::read(fd, buffer, chunk);
        if (n <= 0) break;
        hash.Update(buffer, static_cast<size_t>(n));
        bytes += static_cast<uint64_t>(n);
    }
    ::close(fd);
    return hash.HexDigest();
}

template <typename Hash>
int Run(const std::vector<Item>& items) {
    uint64_t bytes = 0;
    size_t wrong = 0;
    const auto start = std::chrono::steady_clock::now();
    for (const Item& item : items) {
        if (DigestOf<Hash>(item.path, bytes) != item.md5) ++wrong;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (wrong != 0) {
        std::fprintf(stderr, "md5_loop: %zu digests differ from the list\n", wrong);
        return 1;
    }
    std::printf("RESULT seconds=%.6f bytes=%llu files=%zu\n", seconds, static_cast<unsigned long long>(bytes),
                items.size());
    return 0;
}

template <typename Hash>
int RunInMemory(size_t mebibytes) {
    std::vector<unsigned char> buffer(mebibytes << 20);
    for (size_t i = 0; i < buffer.size(); ++i) buffer[i] = static_cast<unsigned char>((i * 2654435761u) >> 13);
    const auto start = std::chrono::steady_clock::now();
    Hash hash;
    for (size_t at = 0; at < buffer.size(); at += 2048) hash.Update(buffer.data() + at, 2048);
    const std::string digest = hash.HexDigest();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("RESULT seconds=%.6f bytes=%zu files=0 digest=%s\n", seconds, buffer.size(), digest.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: md5_loop <openssl|product> <list> [root] | --memory <MiB>\n");
        return 2;
    }
    const std::string kind = argv[1];
    if (argc == 4 && std::string(argv[2]) == "--memory") {
        const size_t mebibytes = static_cast<size_t>(std::stoul(argv[3]));
        if (kind == "openssl") return RunInMemory<OpenSslMd5>(mebibytes);
        if (kind == "product") return RunInMemory<ProductMd5>(mebibytes);
    }
    const std::vector<Item> items = ReadList(argv[2], argc > 3 ? argv[3] : "");
    if (kind == "openssl") return Run<OpenSslMd5>(items);
    if (kind == "product") return Run<ProductMd5>(items);
    std::fprintf(stderr, "md5_loop: unknown hash %s\n", kind.c_str());
    return 2;
}
