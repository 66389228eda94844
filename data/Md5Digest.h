// MD5 (RFC 1321) and the digest object that signs the web-service requests:
// the watch-list synchronisation hashes "uid=...&key=...", the login check
// hashes the password digest followed by the server's salt. Both send or
// compare the lower-case hexadecimal form.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The running state of one digest.
struct Md5Context {
  uint32_t count[2];         // bits hashed so far, low word first
  uint32_t state[4];         // A, B, C, D
  unsigned char buffer[64];  // bytes of the block not yet transformed
};

// Starts a digest with RFC 1321's initial state.
void Md5Init(Md5Context* context);
// Hashes length more bytes, transforming each complete 64-byte block.
void Md5Update(Md5Context* context, const unsigned char* input, size_t length);
// Pads to 56 bytes modulo 64, appends the bit count (8 bytes, little-endian),
// writes the 16 digest bytes and clears the context.
void Md5Final(unsigned char digest[16], Md5Context* context);
// Applies the four rounds to one 64-byte block.
void Md5Transform(uint32_t state[4], const unsigned char block[64]);

// The 16 bytes of one digest, all zero until Compute.
class CMd5Digest {
 public:
  CMd5Digest();

  // The digest of length bytes.
  void Compute(const void* bytes, size_t length);
  // 32 characters: each byte as "%02x", in byte order.
  std::string ToHex() const;

  const unsigned char* Bytes() const { return digest_; }

 private:
  unsigned char digest_[16];
};
