#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "data/Md5Digest.h"

namespace {

std::string HexOf(const std::string& text) {
  CMd5Digest digest;
  digest.Compute(text.data(), text.size());
  return digest.ToHex();
}

TEST(Md5Digest, MatchesTheRfc1321TestSuite) {
  const struct {
    const char* text;
    const char* hex;
  } cases[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
       "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
  };
  for (const auto& c : cases) EXPECT_EQ(HexOf(c.text), c.hex) << '"' << c.text << '"';
}

TEST(Md5Digest, IsZeroUntilComputed) {
  CMd5Digest digest;
  EXPECT_EQ(digest.ToHex(), std::string(32, '0'));
}

// Padding changes shape at 55, 56 and 64 bytes; updates in pieces of every
// size must give the one-shot digest.
TEST(Md5Digest, PiecewiseUpdatesMatchOneShot) {
  std::string text;
  for (int i = 0; i < 200; ++i) text += static_cast<char>(i * 37 + 11);
  for (size_t length : {55u, 56u, 57u, 63u, 64u, 65u, 119u, 120u, 128u, 200u}) {
    const std::string part = text.substr(0, length);
    const std::string expected = HexOf(part);
    for (size_t piece : {1u, 3u, 63u, 64u, 65u}) {
      Md5Context context;
      Md5Init(&context);
      for (size_t at = 0; at < part.size(); at += piece) {
        size_t n = std::min(piece, part.size() - at);
        Md5Update(&context, reinterpret_cast<const unsigned char*>(part.data()) + at, n);
      }
      unsigned char bytes[16];
      Md5Final(bytes, &context);
      static const char kDigits[] = "0123456789abcdef";
      std::string hex;
      for (unsigned char b : bytes) {
        hex += kDigits[b >> 4];
        hex += kDigits[b & 15];
      }
      EXPECT_EQ(hex, expected) << "length " << length << ", pieces of " << piece;
    }
  }
}

// The login check hashes the hex digest of the password followed by a salt.
TEST(Md5Digest, ChainsThroughItsHexForm) {
  EXPECT_EQ(HexOf(HexOf("abc") + "salt"), HexOf("900150983cd24fb0d6963f7d28e17f72salt"));
  EXPECT_EQ(HexOf(std::string(1000000, 'a')), "7707d6ae4e027c70eea2a935c2296f21");
}

}  // namespace
