#pragma once
// MD5 (RFC 1321). Portable C++: also built natively for the benchmark.
#include <cstddef>
#include <cstdint>
#include <string>

class Md5 {
public:
    Md5() noexcept;

    void Update(const void* data, size_t size) noexcept;
    // The digest of everything fed so far as 32 lower-case hex digits. Does not
    // end the computation: more data may follow and a later call includes it.
    std::string HexDigest() const;

private:
    uint32_t state_[4];
    uint64_t length_;  // bytes fed so far
    unsigned char buffer_[64];
};
