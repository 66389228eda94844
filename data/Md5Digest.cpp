#include "data/Md5Digest.h"

#include <cstring>

#include "platform/sys/ByteOrder.h"

namespace {

// T[i] = floor(2^32 * |sin(i + 1)|), i in radians.
const uint32_t kSine[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391,
};

// Left-rotation amounts, four per round.
const int kShift[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};

uint32_t RotateLeft(uint32_t value, int bits) { return (value << bits) | (value >> (32 - bits)); }

}  // namespace

void Md5Init(Md5Context* context) {
  context->count[0] = 0;
  context->count[1] = 0;
  context->state[0] = 0x67452301;
  context->state[1] = 0xefcdab89;
  context->state[2] = 0x98badcfe;
  context->state[3] = 0x10325476;
  std::memset(context->buffer, 0, sizeof context->buffer);
}

void Md5Transform(uint32_t state[4], const unsigned char block[64]) {
  uint32_t x[16];
  for (int i = 0; i < 16; ++i) x[i] = kiv::LoadLe32(block + 4 * i);

  uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
  for (int i = 0; i < 64; ++i) {
    const int round = i / 16;
    uint32_t mixed;
    int word;
    switch (round) {
      case 0:  // F: b selects c or d
        mixed = (b & c) | (~b & d);
        word = i;
        break;
      case 1:  // G: d selects b or c
        mixed = (b & d) | (c & ~d);
        word = (1 + 5 * i) % 16;
        break;
      case 2:  // H: parity
        mixed = b ^ c ^ d;
        word = (5 + 3 * i) % 16;
        break;
      default:  // I
        mixed = c ^ (b | ~d);
        word = (7 * i) % 16;
        break;
    }
    uint32_t next = b + RotateLeft(a + mixed + x[word] + kSine[i], kShift[round][i % 4]);
    a = d;
    d = c;
    c = b;
    b = next;
  }
  state[0] += a;
  state[1] += b;
  state[2] += c;
  state[3] += d;
}

void Md5Update(Md5Context* context, const unsigned char* input, size_t length) {
  if (length == 0) return;
  size_t used = (context->count[0] >> 3) & 63;  // bytes waiting in the buffer

  const uint64_t bits = (static_cast<uint64_t>(context->count[1]) << 32 | context->count[0]) +
                        (static_cast<uint64_t>(length) << 3);
  context->count[0] = static_cast<uint32_t>(bits);
  context->count[1] = static_cast<uint32_t>(bits >> 32);

  if (used > 0) {
    size_t take = 64 - used;
    if (length < take) {
      std::memcpy(context->buffer + used, input, length);
      return;
    }
    std::memcpy(context->buffer + used, input, take);
    Md5Transform(context->state, context->buffer);
    input += take;
    length -= take;
  }
  for (; length >= 64; input += 64, length -= 64) Md5Transform(context->state, input);
  if (length > 0) std::memcpy(context->buffer, input, length);
}

void Md5Final(unsigned char digest[16], Md5Context* context) {
  unsigned char bitCount[8];
  kiv::StoreLe32(bitCount, context->count[0]);
  kiv::StoreLe32(bitCount + 4, context->count[1]);

  // One 0x80 byte, then zeros up to 56 bytes modulo 64.
  static const unsigned char kPadding[64] = {0x80};
  size_t used = (context->count[0] >> 3) & 63;
  size_t padLength = used < 56 ? 56 - used : 120 - used;
  Md5Update(context, kPadding, padLength);
  Md5Update(context, bitCount, 8);

  for (int i = 0; i < 4; ++i) kiv::StoreLe32(digest + 4 * i, context->state[i]);
  std::memset(context, 0, sizeof *context);  // no trace of the hashed text stays behind
}

CMd5Digest::CMd5Digest() { std::memset(digest_, 0, sizeof digest_); }

void CMd5Digest::Compute(const void* bytes, size_t length) {
  Md5Context context;
  Md5Init(&context);
  Md5Update(&context, static_cast<const unsigned char*>(bytes), length);
  Md5Final(digest_, &context);
}

std::string CMd5Digest::ToHex() const {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(32);
  for (unsigned char byte : digest_) {
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 15];
  }
  return hex;
}
