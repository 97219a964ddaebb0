#include "core/grid/GridWriter.h"

#include <cstring>

#include "core/common/NumberText.h"

bool CGridWriter::Open(const std::string& path) {
  m_error.clear();
  return m_out.Open(path);
}

// A failed write sticks in the stream (Reserve then answers null) until Close reports it.
void CGridWriter::WriteHeader(const Header& header) {
  if (char* out = m_out.Reserve(Header::kSize)) header.Write(out);
}

void CGridWriter::WriteRow(const CGridInt::Row& row) {
  char* count = m_out.Reserve(Header::kPointCountSize);
  if (count == nullptr) return;
  WriteLittleEndian(count, static_cast<std::int32_t>(row.size()));
  for (const CGridInt::Node& node : row) {
    char* record = m_out.Reserve(Header::kRecordSize);
    if (record == nullptr) return;
    Header::WriteRecord(record, node.column, node.point.m_codes);
  }
}

bool CGridWriter::Close() {
  if (m_out.Close()) return true;
  const int error = m_out.Error();
  m_error = "An error occurred while writing " + m_out.GetPath() + ": " +
            (error != 0 ? ClassicStrerror(error) : "unknown error") + ".";
  return false;
}
