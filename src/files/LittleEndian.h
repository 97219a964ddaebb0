#pragma once
// Little-endian fields in a byte buffer (LAS headers and point records), read and
// written byte by byte so that the host's byte order and alignment never matter.

#include <cstdint>
#include <cstring>

inline std::uint64_t ReadLE(const char* p, int bytes) {
  std::uint64_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(p[i]);
  return v;
}

inline void WriteLE(char* p, std::uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i, v >>= 8) p[i] = static_cast<char>(v & 0xFF);
}

inline std::int32_t ReadInt32(const char* p) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(ReadLE(p, 4)));
}

inline double ReadDouble(const char* p) {
  const std::uint64_t bits = ReadLE(p, 8);
  double v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

inline void WriteDouble(char* p, double v) {
  std::uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  WriteLE(p, bits, 8);
}
