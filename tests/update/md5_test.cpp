#include <gtest/gtest.h>

#include <string>

#include "update/md5.h"

TEST(Md5, Rfc1321Suite) {
    struct Case { const char* message; const char* digest; };
    const Case cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const Case& c : cases) {
        Md5 md5;
        md5.Update(c.message, std::char_traits<char>::length(c.message));
        EXPECT_EQ(md5.HexDigest(), c.digest) << c.message;
    }
}

TEST(Md5, PiecesGiveTheSameDigestAsTheWhole) {
    // Lengths around the 64-byte block and the 56-byte padding boundary.
    std::string data;
    for (int i = 0; i < 1000; ++i) data += static_cast<char>(i * 7 + 3);
    for (size_t length : {55u, 56u, 57u, 63u, 64u, 65u, 119u, 120u, 128u, 1000u}) {
        Md5 whole;
        whole.Update(data.data(), length);
        const std::string expected = whole.HexDigest();
        for (size_t piece : {1u, 3u, 63u, 64u, 100u}) {
            Md5 pieces;
            for (size_t done = 0; done < length; done += piece) {
                pieces.Update(data.data() + done, std::min(piece, length - done));
            }
            EXPECT_EQ(pieces.HexDigest(), expected) << length << " in pieces of " << piece;
        }
    }
}

TEST(Md5, KnownLongerMessages) {
    // A million "a": the classic long test vector.
    const std::string block(1000, 'a');
    Md5 md5;
    for (int i = 0; i < 1000; ++i) md5.Update(block.data(), block.size());
    EXPECT_EQ(md5.HexDigest(), "7707d6ae4e027c70eea2a935c2296f21");

    // Asking for the digest does not end the computation.
    Md5 going;
    going.Update("ab", 2);
    EXPECT_EQ(going.HexDigest(), "187ef4436122d1cc2f40dc2b92f0eba0");
    going.Update("c", 1);
    EXPECT_EQ(going.HexDigest(), "900150983cd24fb0d6963f7d28e17f72");
}
