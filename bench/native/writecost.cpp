// What writing a decoded block to a new file costs natively: the block's
// pages touched once (as the decoder fills them), then written to a new file
// in pieces of 4 MiB (as ExtractArchive writes). The same steps under wine
// are in bench_fileops.
//
//   writecost <new file> <MiB>
//
// Prints: RESULT touch=<s> write=<s> bytes=<n>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: writecost <new file> <MiB>\n");
        return 2;
    }
    const size_t total = static_cast<size_t>(std::atoi(argv[2])) << 20;
    const size_t piece = size_t(4) << 20;
    unsigned char* block = static_cast<unsigned char*>(std::malloc(total));
    if (!block) return 1;
    const auto t0 = std::chrono::steady_clock::now();
    std::memset(block, 0x5a, total);
    const auto t1 = std::chrono::steady_clock::now();
    const int fd = ::open(argv[1], O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return 1;
    for (size_t at = 0; at < total; at += piece) {
        if (::write(fd, block + at, piece) != static_cast<ssize_t>(piece)) return 1;
    }
    ::close(fd);
    const auto t2 = std::chrono::steady_clock::now();
    std::printf("RESULT touch=%.6f write=%.6f bytes=%zu\n", std::chrono::duration<double>(t1 - t0).count(),
                std::chrono::duration<double>(t2 - t1).count(), total);
    std::free(block);
    return 0;
}
