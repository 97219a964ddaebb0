#include "core/grid/GridWriter.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {
constexpr std::size_t kBlockSize = 1 << 20;
// The buffer grows with the file up to a block, so a small grid costs no megabyte.
constexpr std::size_t kFirstBufferSize = 1 << 16;
}  // namespace

bool CGridWriter::Open(const std::string& path) {
  m_path = path;
  m_error.clear();
  if (!m_file.Open(path, "wb")) return false;
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
  if (m_used == 0 || !m_file.IsOpen()) return;
  if (m_error.empty()) {
    errno = 0;
    if (std::fwrite(m_buffer.data(), 1, m_used, m_file.Get()) != m_used) Fail(errno);
  }
  m_used = 0;
}

char* CGridWriter::Reserve(std::size_t size) {
  if (m_buffer.size() - m_used < size) {
    // Grown while what it holds stays within a block, else written out first; never
    // smaller than one reservation.
    if (m_used + size > kBlockSize) Flush();
    if (m_buffer.size() - m_used < size)
      m_buffer.resize(std::max(std::min(kBlockSize, 2 * m_buffer.size()), m_used + size));
  }
  char* room = m_buffer.data() + m_used;
  m_used += size;
  return room;
}

void CGridWriter::WriteHeader(const Header& header) { header.Write(Reserve(Header::kSize)); }

void CGridWriter::WriteRow(const CGridInt::Row& row) {
  WriteLittleEndian(Reserve(Header::kPointCountSize), static_cast<std::int32_t>(row.size()));
  for (const CGridInt::Node& node : row)
    Header::WriteRecord(Reserve(Header::kRecordSize), node.column, node.point.m_codes);
}

bool CGridWriter::Close() {
  if (!m_file.IsOpen()) return m_error.empty();
  Flush();
  errno = 0;
  if (std::fflush(m_file.Get()) != 0) Fail(errno);
  errno = 0;
  if (!m_file.Close()) Fail(errno);
  return m_error.empty();
}
