#include "core/files/LazFraming.h"

#include <algorithm>
#include <fstream>

#include "core/common/ByteOrder.h"
#include "core/common/InputStream.h"
#include "core/common/OutputStream.h"
#include "core/files/LasHeader.h"
#include "core/laz/LazChunkCodec.h"
#include "core/laz/LazError.h"

namespace {

constexpr std::uint64_t kOffsetBytes = 8;  // the chunk table's offset, at the start of the point data
// The most bytes read for each chunk the table lists: it codes two numbers a chunk (its
// points and bytes), each at most 32 bits and the symbol of their size.
constexpr std::uint64_t kTableBytesPerChunk = 32, kTableHeadBytes = 8, kTableSlack = 64;
constexpr std::size_t kMaxLaszipRecord = 1 << 16;  // a VLR's length is 16 bits

// Reads and drops `count` bytes of the input; false when it ends first.
bool Skip(CInputStream& input, std::uint64_t count) {
  char buffer[1 << 16];
  while (count > 0) {
    const std::size_t piece = static_cast<std::size_t>(std::min<std::uint64_t>(count, sizeof buffer));
    if (input.Read(buffer, piece) != piece) return false;
    count -= piece;
  }
  return true;
}

}  // namespace

bool CLazFraming::Read(const std::string& path, std::uint64_t fileSize, const CLasHeader& header, CLasVlrs& records,
                       std::string& why) {
  m_fileSize = fileSize;
  m_pointData = header.PointDataOffset();
  m_copc = records.HasCopcInfo();
  if (!records.Laszip()) {
    why = "its point format says so, but it has no LASzip record";
    return false;
  }
  try {
    const std::string payload = records.Bytes(records.Laszip(), kMaxLaszipRecord);
    m_vlr = CLazVlr::Parse(reinterpret_cast<const std::uint8_t*>(payload.data()), payload.size());
    const CLazChunkDecoder items(m_vlr);  // refuses items the codec does not read
    if (m_vlr.compressor == CLazVlr::kPointwise)
      throw CLazError("LAZ points coded as one stream without chunks (LASzip's compressor 1) are not read");
    if (m_vlr.RecordLength() != header.RecordLength()) {
      throw CLazError("LASzip record's items make records of " + std::to_string(m_vlr.RecordLength()) +
                      " bytes, the header's of " + std::to_string(header.RecordLength()));
    }
    if (!ReadChunkTable(path, fileSize, header, why)) return false;
  } catch (const CLazError& error) {
    why = error.what();
    return false;
  }

  // What the outputs leave out: every record of user "copc" of a COPC file.
  m_dropped.clear();
  m_outputVlrs = static_cast<std::uint32_t>(header.VlrCount());
  m_outputExtended = static_cast<std::uint32_t>(header.ExtendedVlrCount());
  std::uint64_t droppedHead = 0;
  for (const CLasVlrs::Span& span : m_copc ? records.Copc() : std::vector<CLasVlrs::Span>{}) {
    m_dropped.push_back(span);
    if (span.start < m_pointData) {
      --m_outputVlrs;
      droppedHead += span.size;
    } else {
      --m_outputExtended;
    }
  }
  m_outputPointData = m_pointData - droppedHead;
  return true;
}

bool CLazFraming::ReadChunkTable(const std::string& path, std::uint64_t fileSize, const CLasHeader& header,
                                 std::string& why) {
  std::ifstream file(path, std::ios::binary);
  const auto readAt = [&](std::uint64_t at, void* out, std::size_t count) {
    file.clear();
    file.seekg(static_cast<std::streamoff>(at));
    file.read(static_cast<char*>(out), static_cast<std::streamsize>(count));
    return file.gcount() == static_cast<std::streamsize>(count);
  };
  const std::uint64_t chunksStart = m_pointData + kOffsetBytes;

  // The point data ends where the extended records start (from 1.4), else at the end.
  m_tailStart = fileSize;
  if (header.ExtendedVlrCount() != 0 && header.ExtendedVlrStart() != 0) {
    m_tailStart = header.ExtendedVlrStart();
    if (m_tailStart < chunksStart || m_tailStart > fileSize) {
      why = "The extended variable-length records are said to start at byte " + std::to_string(m_tailStart) +
            ", outside what follows the LAZ point data";
      return false;
    }
  }
  char bytes[kOffsetBytes];
  if (chunksStart > m_tailStart || !readAt(m_pointData, bytes, kOffsetBytes)) {
    why = "The LAZ point data ends before the offset of its chunk table";
    return false;
  }
  auto tableOffset = ReadLittleEndian<std::int64_t>(bytes);
  // A writer that could not go back (LASzip writing to a pipe) put it at the file's end.
  if (tableOffset == -1 && fileSize >= chunksStart + kOffsetBytes && readAt(fileSize - kOffsetBytes, bytes, 8))
    tableOffset = ReadLittleEndian<std::int64_t>(bytes);
  if (tableOffset < 0 || static_cast<std::uint64_t>(tableOffset) > m_tailStart)
    throw CLazError("LAZ chunk table offset " + std::to_string(tableOffset) + " lies outside the file's point data");

  // The table's bytes, as many as its chunks can take.
  const auto table = static_cast<std::uint64_t>(tableOffset);
  std::uint64_t size = m_tailStart - table;
  std::uint32_t listed = 0;
  if (size >= kTableHeadBytes && readAt(table, bytes, kTableHeadBytes))
    listed = ReadLittleEndian<std::uint32_t>(bytes + 4);
  const std::uint64_t fit = table > chunksStart ? (table - chunksStart) / (header.RecordLength() + 4) : 0;
  size = std::min(size, kTableHeadBytes + kTableBytesPerChunk * std::min<std::uint64_t>(listed, fit) + kTableSlack);
  std::vector<std::uint8_t> tableBytes(static_cast<std::size_t>(size));
  if (!readAt(table, tableBytes.data(), tableBytes.size())) {
    why = "The file cannot be read";
    return false;
  }
  m_chunks = CLazChunkTable::Parse(tableBytes.data(), tableBytes.size(), chunksStart, table, m_vlr.chunkSize,
                                   header.PointCount(), header.RecordLength());
  const auto& chunks = m_chunks.Chunks();
  for (std::size_t i = 0; i < chunks.size(); ++i) {
    if (chunks[i].points > kMaxChunkBytes / header.RecordLength() || chunks[i].bytes > kMaxChunkBytes) {
      throw CLazError("LAZ chunk " + std::to_string(i) + " holds " + std::to_string(chunks[i].points) + " points in " +
                      std::to_string(chunks[i].bytes) + " bytes, more than Marevert decodes at once (" +
                      std::to_string(kMaxChunkBytes >> 20) + " MB)");
    }
  }
  return true;
}

bool CLazFraming::CopyUpTo(CInputStream& input, std::uint64_t end, COutputStream& first, COutputStream& second) const {
  for (const CLasVlrs::Span& span : m_dropped) {
    if (span.start < input.Position() || span.start + span.size > end) continue;
    if (!input.CopyTo(span.start - input.Position(), &first, &second) || !Skip(input, span.size)) return false;
  }
  return input.Position() <= end && input.CopyTo(end - input.Position(), &first, &second);
}

bool CLazFraming::CopyHead(CInputStream& input, COutputStream& first, COutputStream& second) const {
  char offset[kOffsetBytes];
  WriteLittleEndian(offset, m_outputPointData);
  return CopyUpTo(input, m_pointData, first, second) && first.Write(offset, kOffsetBytes) &&
         second.Write(offset, kOffsetBytes) && Skip(input, kOffsetBytes);
}

bool CLazFraming::CopyTail(CInputStream& input, COutputStream& first, COutputStream& second) const {
  return input.Position() <= m_tailStart && Skip(input, m_tailStart - input.Position()) &&
         CopyUpTo(input, m_fileSize, first, second);
}

bool CLazFraming::FinishOutput(const std::string& path, std::uint64_t count, const CLasRecordSummary& records,
                               std::uint64_t tableOffset, std::uint64_t tailStart) const {
  CLasHeader header;
  if (!header.Open(path) || !header.SetCounts(count, 0)) return false;
  header.SetSummary(records);
  if (!header.SetLayout(static_cast<std::uint32_t>(m_outputPointData), m_outputVlrs, m_tailStart, tailStart,
                        m_outputExtended) ||
      !header.Save())
    return false;
  std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
  char offset[kOffsetBytes];
  WriteLittleEndian(offset, tableOffset);
  file.seekp(static_cast<std::streamoff>(m_outputPointData));
  file.write(offset, kOffsetBytes);
  file.close();
  return !file.fail();
}
