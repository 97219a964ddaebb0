#include "grid/GridWriter.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>

namespace {
constexpr std::size_t kBlockSize = 1 << 20;
// The buffer grows with the file up to a block, so a small grid costs no megabyte.
constexpr std::size_t kFirstBufferSize = 1 << 16;

template <typename T>
void StoreLittleEndian(unsigned char* out, T value) {
  using U = std::conditional_t<sizeof(T) == 8, std::uint64_t,
                               std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint16_t>>;
  const U bits = std::bit_cast<U>(value);
  for (std::size_t i = 0; i < sizeof(T); ++i) out[i] = static_cast<unsigned char>(bits >> (8 * i));
}
}  // namespace

CGridWriter::~CGridWriter() {
  if (m_file) std::fclose(m_file);
}

bool CGridWriter::Open(const std::string& path) {
  m_path = path;
  m_error.clear();
  m_file = std::fopen(path.c_str(), "wb");
  if (!m_file) return false;
  m_buffer.resize(kFirstBufferSize);
  m_used = 0;
  return true;
}

void CGridWriter::Fail(int error) {
  if (!m_error.empty()) return;
  m_error =
      "An error occurred while writing " + m_path + ": " + (error != 0 ? std::strerror(error) : "unknown error") + ".";
}

void CGridWriter::Flush() {
  if (m_used == 0 || !m_file) return;
  if (m_error.empty()) {
    errno = 0;
    if (std::fwrite(m_buffer.data(), 1, m_used, m_file) != m_used) Fail(errno);
  }
  m_used = 0;
}

void CGridWriter::Put(const void* bytes, std::size_t size) {
  if (m_buffer.size() - m_used < size) {
    if (m_used + size <= kBlockSize)
      m_buffer.resize(std::min(kBlockSize, std::max(2 * m_buffer.size(), m_used + size)));
    else
      Flush();
  }
  std::memcpy(m_buffer.data() + m_used, bytes, size);
  m_used += size;
}

void CGridWriter::PutI32(std::int32_t v) {
  unsigned char b[4];
  StoreLittleEndian(b, v);
  Put(b, sizeof(b));
}
void CGridWriter::PutU16(std::uint16_t v) {
  unsigned char b[2];
  StoreLittleEndian(b, v);
  Put(b, sizeof(b));
}
void CGridWriter::PutF32(float v) {
  unsigned char b[4];
  StoreLittleEndian(b, v);
  Put(b, sizeof(b));
}
void CGridWriter::PutF64(double v) {
  unsigned char b[8];
  StoreLittleEndian(b, v);
  Put(b, sizeof(b));
}

void CGridWriter::WriteHeader(const Header& h) {
  Put("MRG", 3);
  PutI32(1);  // format code
  PutI32(0);  // reserved
  PutI32(h.majorVersion);
  PutI32(h.minorVersion);
  PutI32(h.year);
  PutI32(h.month);
  PutI32(h.day);
  PutF64(h.gridSize);
  PutF64(h.minLat);
  PutF64(h.maxLat);
  PutF64(h.minLon);
  PutF64(h.maxLon);
  PutF32(h.valueOffset);
  PutF32(h.valueScale);
  PutI32(h.rowCount);
}

void CGridWriter::WriteRow(const CGridInt::Row& row) {
  PutI32(static_cast<std::int32_t>(row.size()));
  for (const CGridInt::Node& node : row) {
    unsigned char record[kRecordSize];
    StoreLittleEndian(record, node.column);
    for (int k = 0; k < CDataPt::kSurfaceCount; ++k) StoreLittleEndian(record + 4 + 2 * k, node.point.m_codes[k]);
    Put(record, sizeof(record));
  }
}

bool CGridWriter::Close() {
  if (!m_file) return m_error.empty();
  Flush();
  errno = 0;
  if (std::fflush(m_file) != 0) Fail(errno);
  errno = 0;
  if (std::fclose(m_file) != 0) Fail(errno);
  m_file = nullptr;
  return m_error.empty();
}
