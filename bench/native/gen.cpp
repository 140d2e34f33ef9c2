// Deterministic bench inputs: the same seed gives the same bytes on every
// machine, so two runs measure the same work.
//
//   gen random <file> <bytes> <seed>
//       incompressible bytes (digest and download inputs)
//   gen semi <file> <bytes> <seed>
//       semi-compressible bytes: words, repeats of earlier stretches, noise
//       and x86-like call instructions (something for the branch filters)
//   gen tree <root> <count> <bytes each> <files per folder> <seed> <list>
//       count random files below root in folders "dNNN"; writes list lines
//       "dNNN\fNNNNN.bin,<md5>,<size>,2" (the manifest format) for them
//   gen smallfiles <root> <count> <seed>
//       count semi-compressible files of 1-8 KiB below root ("sNN\nNNNN.dat")
#include <openssl/md5.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// xorshift64*: fast and fully determined by its seed.
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull) {
        if (state_ == 0) state_ = 1;
    }
    uint64_t Next() {
        state_ ^= state_ >> 12;
        state_ ^= state_ << 25;
        state_ ^= state_ >> 27;
        return state_ * 0x2545F4914F6CDD1Dull;
    }
    uint32_t Below(uint32_t n) { return static_cast<uint32_t>((Next() >> 32) % n); }

private:
    uint64_t state_;
};

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "gen: %s: %s\n", what.c_str(), std::strerror(errno));
    std::exit(1);
}

void MakeFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) Fail("mkdir " + path);
}

void FillRandom(Random& random, unsigned char* out, size_t size) {
    size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        const uint64_t v = random.Next();
        std::memcpy(out + i, &v, 8);
    }
    if (i < size) {
        const uint64_t v = random.Next();
        std::memcpy(out + i, &v, size - i);
    }
}

// Appends semi-compressible bytes to out until it holds `size` bytes. LZMA
// packs this to roughly half its size, and it decodes at a speed typical of
// game data rather than at the extremes of noise or zeros.
class SemiSource {
public:
    explicit SemiSource(uint64_t seed) : random_(seed) {
        for (int w = 0; w < 512; ++w) {
            std::string word;
            const uint32_t length = 3 + random_.Below(9);
            for (uint32_t c = 0; c < length; ++c) word += static_cast<char>('a' + random_.Below(26));
            words_.push_back(word + ' ');
        }
    }

    void Append(std::vector<unsigned char>& out, size_t size) {
        while (out.size() < size) {
            const uint32_t pick = random_.Below(100);
            if (pick < 40) {  // text
                for (uint32_t n = 1 + random_.Below(8); n > 0; --n) {
                    const std::string& word = words_[random_.Below(64) * random_.Below(8) % words_.size()];
                    out.insert(out.end(), word.begin(), word.end());
                }
            } else if (pick < 65 && out.size() > 64) {  // a repeat of something recent
                const size_t back = 1 + random_.Below(static_cast<uint32_t>(std::min<size_t>(out.size(), 1 << 20)));
                const size_t length = 8 + random_.Below(120);
                const size_t from = out.size() - back;
                for (size_t k = 0; k < length; ++k) out.push_back(out[from + (k % back)]);
            } else if (pick < 85) {  // noise
                const size_t length = 16 + random_.Below(48);
                const size_t at = out.size();
                out.resize(at + length);
                FillRandom(random_, out.data() + at, length);
            } else {  // code: x86 calls with nearby targets
                for (uint32_t n = 1 + random_.Below(6); n > 0; --n) {
                    static const unsigned char kPrologue[] = {0x55, 0x48, 0x89, 0xE5, 0x48, 0x83, 0xEC, 0x20};
                    out.insert(out.end(), kPrologue, kPrologue + 1 + random_.Below(sizeof(kPrologue)));
                    const uint32_t target = 0x1000 + random_.Below(0x4000) * 16;
                    const uint32_t relative = target - static_cast<uint32_t>(out.size() + 5);
                    out.push_back(0xE8);
                    for (int b = 0; b < 4; ++b) out.push_back(static_cast<unsigned char>(relative >> (8 * b)));
                }
            }
        }
        out.resize(size);
    }

private:
    Random random_;
    std::vector<std::string> words_;
};

void WriteAll(const std::string& path, const unsigned char* data, size_t size) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) Fail("create " + path);
    if (size != 0 && std::fwrite(data, 1, size, f) != size) Fail("write " + path);
    if (std::fclose(f) != 0) Fail("close " + path);
}

std::string HexMd5(const unsigned char* data, size_t size) {
    unsigned char digest[MD5_DIGEST_LENGTH];
    MD5(data, size, digest);
    static const char kHex[] = "0123456789abcdef";
    std::string text;
    for (unsigned char b : digest) {
        text += kHex[b >> 4];
        text += kHex[b & 15];
    }
    return text;
}

uint64_t Number(const char* text) { return std::strtoull(text, nullptr, 10); }

int Bytes(int argc, char** argv, bool semi) {
    if (argc != 5) return 2;
    const std::string path = argv[2];
    const uint64_t total = Number(argv[3]);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) Fail("create " + path);
    Random random(Number(argv[4]));
    SemiSource source(Number(argv[4]));
    std::vector<unsigned char> piece;
    const size_t kPiece = 4 << 20;
    for (uint64_t done = 0; done < total;) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(kPiece, total - done));
        piece.clear();
        if (semi) {
            source.Append(piece, n);
        } else {
            piece.resize(n);
            FillRandom(random, piece.data(), n);
        }
        if (std::fwrite(piece.data(), 1, n, f) != n) Fail("write " + path);
        done += n;
    }
    if (std::fclose(f) != 0) Fail("close " + path);
    return 0;
}

int Tree(int argc, char** argv) {
    if (argc != 8) return 2;
    const std::string root = argv[2];
    const uint64_t count = Number(argv[3]);
    const size_t size = static_cast<size_t>(Number(argv[4]));
    const uint64_t perFolder = Number(argv[5]);
    Random random(Number(argv[6]));
    FILE* list = std::fopen(argv[7], "wb");
    if (!list) Fail(std::string("create ") + argv[7]);
    MakeFolder(root);
    std::vector<unsigned char> data(size);
    char folder[32];
    char name[64];
    for (uint64_t i = 0; i < count; ++i) {
        std::snprintf(folder, sizeof(folder), "d%03llu", static_cast<unsigned long long>(i / perFolder));
        if (i % perFolder == 0) MakeFolder(root + "/" + folder);
        std::snprintf(name, sizeof(name), "f%05llu.bin", static_cast<unsigned long long>(i));
        FillRandom(random, data.data(), size);
        WriteAll(root + "/" + folder + "/" + name, data.data(), size);
        std::fprintf(list, "%s\\%s,%s,%zu,2\r\n", folder, name, HexMd5(data.data(), size).c_str(), size);
    }
    if (std::fclose(list) != 0) Fail(std::string("close ") + argv[7]);
    return 0;
}

int SmallFiles(int argc, char** argv) {
    if (argc != 5) return 2;
    const std::string root = argv[2];
    const uint64_t count = Number(argv[3]);
    Random random(Number(argv[4]));
    SemiSource source(Number(argv[4]) + 1);
    MakeFolder(root);
    std::vector<unsigned char> data;
    char folder[32];
    char name[64];
    for (uint64_t i = 0; i < count; ++i) {
        std::snprintf(folder, sizeof(folder), "s%02llu", static_cast<unsigned long long>(i / 100));
        if (i % 100 == 0) MakeFolder(root + "/" + folder);
        std::snprintf(name, sizeof(name), "n%04llu.dat", static_cast<unsigned long long>(i));
        data.clear();
        source.Append(data, 1024 + random.Below(7 * 1024 + 1));
        WriteAll(root + "/" + folder + "/" + name, data.data(), data.size());
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    int result = 2;
    if (mode == "random") result = Bytes(argc, argv, false);
    if (mode == "semi") result = Bytes(argc, argv, true);
    if (mode == "tree") result = Tree(argc, argv);
    if (mode == "smallfiles") result = SmallFiles(argc, argv);
    if (result == 2) std::fprintf(stderr, "gen: bad arguments (see the head of bench/native/gen.cpp)\n");
    return result;
}
