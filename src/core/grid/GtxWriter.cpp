#include "core/grid/GtxWriter.h"

#include <algorithm>

#include "core/common/ByteOrder.h"

namespace {

// Writes a 32- or 64-bit value big-endian and answers the position after it.
template <typename T>
char* PutBigEndian(char* out, T value) {
  WriteBigEndian(out, value);
  return out + sizeof value;
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
