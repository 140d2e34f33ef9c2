#include "update/md5.h"

#include <cstring>

namespace {

// Little-endian loads spelt out byte by byte: compilers turn this into one
// load on little-endian machines, and it stays right on the others.
inline uint32_t Load32(const unsigned char* p) noexcept {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

inline uint32_t Rotate(uint32_t x, int s) noexcept { return (x << s) | (x >> (32 - s)); }

// The four round functions in the forms with the shortest dependency chains.
inline uint32_t F(uint32_t x, uint32_t y, uint32_t z) noexcept { return z ^ (x & (y ^ z)); }
inline uint32_t G(uint32_t x, uint32_t y, uint32_t z) noexcept { return (x & z) + (y & ~z); }
inline uint32_t H(uint32_t x, uint32_t y, uint32_t z) noexcept { return x ^ y ^ z; }
inline uint32_t I(uint32_t x, uint32_t y, uint32_t z) noexcept { return y ^ (x | ~z); }

#define MD5_STEP(f, a, b, c, d, x, t, s)     \
    a += f(b, c, d) + (x) + UINT32_C(t);     \
    a = Rotate(a, s) + b;

void Transform(uint32_t state[4], const unsigned char* block, size_t blocks) noexcept {
    uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    for (; blocks != 0; --blocks, block += 64) {
        const uint32_t x0 = Load32(block), x1 = Load32(block + 4), x2 = Load32(block + 8), x3 = Load32(block + 12),
                       x4 = Load32(block + 16), x5 = Load32(block + 20), x6 = Load32(block + 24),
                       x7 = Load32(block + 28), x8 = Load32(block + 32), x9 = Load32(block + 36),
                       x10 = Load32(block + 40), x11 = Load32(block + 44), x12 = Load32(block + 48),
                       x13 = Load32(block + 52), x14 = Load32(block + 56), x15 = Load32(block + 60);
        const uint32_t aa = a, bb = b, cc = c, dd = d;

        MD5_STEP(F, a, b, c, d, x0, 0xd76aa478, 7)
        MD5_STEP(F, d, a, b, c, x1, 0xe8c7b756, 12)
        MD5_STEP(F, c, d, a, b, x2, 0x242070db, 17)
        MD5_STEP(F, b, c, d, a, x3, 0xc1bdceee, 22)
        MD5_STEP(F, a, b, c, d, x4, 0xf57c0faf, 7)
        MD5_STEP(F, d, a, b, c, x5, 0x4787c62a, 12)
        MD5_STEP(F, c, d, a, b, x6, 0xa8304613, 17)
        MD5_STEP(F, b, c, d, a, x7, 0xfd469501, 22)
        MD5_STEP(F, a, b, c, d, x8, 0x698098d8, 7)
        MD5_STEP(F, d, a, b, c, x9, 0x8b44f7af, 12)
        MD5_STEP(F, c, d, a, b, x10, 0xffff5bb1, 17)
        MD5_STEP(F, b, c, d, a, x11, 0x895cd7be, 22)
        MD5_STEP(F, a, b, c, d, x12, 0x6b901122, 7)
        MD5_STEP(F, d, a, b, c, x13, 0xfd987193, 12)
        MD5_STEP(F, c, d, a, b, x14, 0xa679438e, 17)
        MD5_STEP(F, b, c, d, a, x15, 0x49b40821, 22)

        MD5_STEP(G, a, b, c, d, x1, 0xf61e2562, 5)
        MD5_STEP(G, d, a, b, c, x6, 0xc040b340, 9)
        MD5_STEP(G, c, d, a, b, x11, 0x265e5a51, 14)
        MD5_STEP(G, b, c, d, a, x0, 0xe9b6c7aa, 20)
        MD5_STEP(G, a, b, c, d, x5, 0xd62f105d, 5)
        MD5_STEP(G, d, a, b, c, x10, 0x02441453, 9)
        MD5_STEP(G, c, d, a, b, x15, 0xd8a1e681, 14)
        MD5_STEP(G, b, c, d, a, x4, 0xe7d3fbc8, 20)
        MD5_STEP(G, a, b, c, d, x9, 0x21e1cde6, 5)
        MD5_STEP(G, d, a, b, c, x14, 0xc33707d6, 9)
        MD5_STEP(G, c, d, a, b, x3, 0xf4d50d87, 14)
        MD5_STEP(G, b, c, d, a, x8, 0x455a14ed, 20)
        MD5_STEP(G, a, b, c, d, x13, 0xa9e3e905, 5)
        MD5_STEP(G, d, a, b, c, x2, 0xfcefa3f8, 9)
        MD5_STEP(G, c, d, a, b, x7, 0x676f02d9, 14)
        MD5_STEP(G, b, c, d, a, x12, 0x8d2a4c8a, 20)

        MD5_STEP(H, a, b, c, d, x5, 0xfffa3942, 4)
        MD5_STEP(H, d, a, b, c, x8, 0x8771f681, 11)
        MD5_STEP(H, c, d, a, b, x11, 0x6d9d6122, 16)
        MD5_STEP(H, b, c, d, a, x14, 0xfde5380c, 23)
        MD5_STEP(H, a, b, c, d, x1, 0xa4beea44, 4)
        MD5_STEP(H, d, a, b, c, x4, 0x4bdecfa9, 11)
        MD5_STEP(H, c, d, a, b, x7, 0xf6bb4b60, 16)
        MD5_STEP(H, b, c, d, a, x10, 0xbebfbc70, 23)
        MD5_STEP(H, a, b, c, d, x13, 0x289b7ec6, 4)
        MD5_STEP(H, d, a, b, c, x0, 0xeaa127fa, 11)
        MD5_STEP(H, c, d, a, b, x3, 0xd4ef3085, 16)
        MD5_STEP(H, b, c, d, a, x6, 0x04881d05, 23)
        MD5_STEP(H, a, b, c, d, x9, 0xd9d4d039, 4)
        MD5_STEP(H, d, a, b, c, x12, 0xe6db99e5, 11)
        MD5_STEP(H, c, d, a, b, x15, 0x1fa27cf8, 16)
        MD5_STEP(H, b, c, d, a, x2, 0xc4ac5665, 23)

        MD5_STEP(I, a, b, c, d, x0, 0xf4292244, 6)
        MD5_STEP(I, d, a, b, c, x7, 0x432aff97, 10)
        MD5_STEP(I, c, d, a, b, x14, 0xab9423a7, 15)
        MD5_STEP(I, b, c, d, a, x5, 0xfc93a039, 21)
        MD5_STEP(I, a, b, c, d, x12, 0x655b59c3, 6)
        MD5_STEP(I, d, a, b, c, x3, 0x8f0ccc92, 10)
        MD5_STEP(I, c, d, a, b, x10, 0xffeff47d, 15)
        MD5_STEP(I, b, c, d, a, x1, 0x85845dd1, 21)
        MD5_STEP(I, a, b, c, d, x8, 0x6fa87e4f, 6)
        MD5_STEP(I, d, a, b, c, x15, 0xfe2ce6e0, 10)
        MD5_STEP(I, c, d, a, b, x6, 0xa3014314, 15)
        MD5_STEP(I, b, c, d, a, x13, 0x4e0811a1, 21)
        MD5_STEP(I, a, b, c, d, x4, 0xf7537e82, 6)
        MD5_STEP(I, d, a, b, c, x11, 0xbd3af235, 10)
        MD5_STEP(I, c, d, a, b, x2, 0x2ad7d2bb, 15)
        MD5_STEP(I, b, c, d, a, x9, 0xeb86d391, 21)

        a += aa;
        b += bb;
        c += cc;
        d += dd;
    }
    state[0] = a;
    state[1] = b;
    state[2] = c;
    state[3] = d;
}

#undef MD5_STEP

}  // namespace

Md5::Md5() noexcept : state_{0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476}, length_(0), buffer_{} {}

void Md5::Update(const void* data, size_t size) noexcept {
    const unsigned char* p = static_cast<const unsigned char*>(data);
    size_t used = static_cast<size_t>(length_ & 63);
    length_ += size;
    if (used != 0) {
        const size_t take = size < 64 - used ? size : 64 - used;
        std::memcpy(buffer_ + used, p, take);
        p += take;
        size -= take;
        used += take;
        if (used < 64) return;
        Transform(state_, buffer_, 1);
    }
    // Whole blocks straight from the caller's memory, without copying.
    const size_t whole = size / 64;
    if (whole != 0) {
        Transform(state_, p, whole);
        p += whole * 64;
        size -= whole * 64;
    }
    if (size != 0) std::memcpy(buffer_, p, size);
}

std::string Md5::HexDigest() const {
    // Finish a copy, so that this object can go on.
    Md5 last(*this);
    const uint64_t bits = length_ * 8;
    static const unsigned char kPadding[64] = {0x80};
    const size_t used = static_cast<size_t>(length_ & 63);
    last.Update(kPadding, used < 56 ? 56 - used : 120 - used);
    unsigned char tail[8];
    for (int i = 0; i < 8; ++i) tail[i] = static_cast<unsigned char>(bits >> (8 * i));
    last.Update(tail, 8);

    static const char kHex[] = "0123456789abcdef";
    std::string text(32, '0');
    for (int i = 0; i < 16; ++i) {
        const unsigned byte = (last.state_[i / 4] >> (8 * (i % 4))) & 0xff;
        text[2 * i] = kHex[byte >> 4];
        text[2 * i + 1] = kHex[byte & 15];
    }
    return text;
}
