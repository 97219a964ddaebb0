#include "grid/GtxWriter.h"

#include <algorithm>
#include <bit>
#include <type_traits>

namespace {

// Appends the big-endian bytes of a 32- or 64-bit value.
template <typename T>
char* PutBigEndian(char* out, T value) {
  using Bits = std::conditional_t<sizeof(T) == 8, std::uint64_t, std::uint32_t>;
  const Bits bits = std::bit_cast<Bits>(value);
  for (int shift = static_cast<int>(sizeof(T)) * 8 - 8; shift >= 0; shift -= 8)
    *out++ = static_cast<char>((bits >> shift) & 0xFF);
  return out;
}

}  // namespace

void CGtxWriter::WriteHeader(const CShiftLattice::Geometry& geometry) {
  char header[kHeaderSize];
  char* p = header;
  p = PutBigEndian(p, geometry.south);
  p = PutBigEndian(p, geometry.west);
  p = PutBigEndian(p, geometry.spacing);
  p = PutBigEndian(p, geometry.spacing);
  p = PutBigEndian(p, geometry.rows);
  PutBigEndian(p, geometry.columns);
  m_out.Write(header, sizeof header);
}

void CGtxWriter::WriteRow(const float* values, std::int32_t count) {
  // In pieces that fit the stream's buffer.
  constexpr std::int32_t kPiece = static_cast<std::int32_t>(COutputStream::kBlockSize / sizeof(float));
  for (std::int32_t start = 0; start < count; start += kPiece) {
    const std::int32_t n = std::min(kPiece, count - start);
    char* out = m_out.Reserve(static_cast<std::size_t>(n) * sizeof(float));
    if (out == nullptr) return;  // the failure sticks; Close reports it
    for (std::int32_t i = 0; i < n; ++i) out = PutBigEndian(out, values[start + i]);
  }
}
