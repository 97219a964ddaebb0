#include "core/files/LasRecordPipeline.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/common/ByteOrder.h"
#include "core/common/InputStream.h"
#include "core/common/OutputStream.h"
#include "core/files/BlockPipeline.h"
#include "core/files/LasHeader.h"
#include "core/grid/DataPt.h"
#include "core/jobs/SharedJob.h"

namespace {

constexpr std::uint64_t kProgressInterval = 100;  // points
constexpr std::size_t kPiece = 256;               // records per piece of shared work
constexpr std::size_t kZAt = 8;                   // the stored Z in a record

// The stored Z of a record whose height was given `added` metres: `stored` plus
// added / zScale rounded half away from zero. The change is taken as given rather than
// as the difference of two heights, which would carry the rounding of the larger one.
// False when the change or the new Z does not fit in 32 bits (or is not finite).
bool ShiftZ(std::int32_t stored, double added, double zScale, std::int32_t& shifted) {
  constexpr double kLimit = 4294967296.0;  // 2^32: no larger change leaves a 32-bit Z in range
  const double units = added / zScale;
  if (!(std::fabs(units) < kLimit)) return false;
  const long long z = stored + std::llround(units);
  if (z < std::numeric_limits<std::int32_t>::min() || z > std::numeric_limits<std::int32_t>::max()) return false;
  shifted = static_cast<std::int32_t>(z);
  return true;
}

}  // namespace

// What each thread works with: the positions and heights of one piece, and what the
// records it has sent to each output hold (on cache lines of its own, so the two
// threads never write to one line).
struct alignas(64) CLasRecordPipeline::Scratch {
  double a[kPiece], b[kPiece], z[kPiece], given[kPiece];
  bool transformed[kPiece];
  CDataPt point;
  CLasRecordSummary records[2];  // as m_outputs: [0] excluded, [1] transformed
  CSeparationStats separation;
};

CLasRecordPipeline::CLasRecordPipeline(const CLasHeader& header, std::uint64_t fileSize)
    : m_recordLength(header.RecordLength()),
      m_count(header.PointCount()),
      m_scale{header.Scale(0), header.Scale(1), header.Scale(2)},
      m_offset{header.Offset(0), header.Offset(1), header.Offset(2)},
      // No more records than the file holds after its header, and one over (so a file
      // that ends early is still found short in its first block): a small file costs no
      // megabyte blocks.
      m_blockRecords(static_cast<std::size_t>(
          std::min<std::uint64_t>({CInputStream::kBlockSize / m_recordLength, m_count,
                                   (fileSize - header.PointDataOffset()) / m_recordLength + 1}))) {
  for (Block& block : m_blocks) {
    block.bytes.resize(m_blockRecords * m_recordLength);
    block.inside.resize(m_blockRecords);
  }
}

void CLasRecordPipeline::ReadBlock(CInputStream& input, Block& block, std::uint64_t first) const {
  const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(m_blockRecords, m_count - first));
  block.first = first;
  block.records = input.Read(block.bytes.data(), wanted * m_recordLength) / m_recordLength;
  block.whole = block.records == wanted;  // a record cut short is not used
}

void CLasRecordPipeline::TransformPiece(Block& block, std::size_t piece, Scratch& work,
                                        const Transform& transform) const {
  const std::size_t start = piece * kPiece, n = std::min(kPiece, block.records - start);
  char* records = block.bytes.data() + start * m_recordLength;
  for (std::size_t i = 0; i < n; ++i) {
    const char* record = records + i * m_recordLength;
    work.a[i] = ReadLittleEndian<std::int32_t>(record) * m_scale[0] + m_offset[0];
    work.b[i] = ReadLittleEndian<std::int32_t>(record + 4) * m_scale[1] + m_offset[1];
    work.z[i] = ReadLittleEndian<std::int32_t>(record + kZAt) * m_scale[2] + m_offset[2];
  }
  transform(n, work.a, work.b, work.z, work.transformed, work.given, work.point, work.separation);
  for (std::size_t i = 0; i < n; ++i) {
    char* z = records + i * m_recordLength + kZAt;
    std::int32_t newZ = 0;
    const bool ok = work.transformed[i] && ShiftZ(ReadLittleEndian<std::int32_t>(z), work.given[i], m_scale[2], newZ);
    if (ok) WriteLittleEndian(z, newZ);
    block.inside[start + i] = ok;
  }
  for (const unsigned char output : {0, 1})
    work.records[output].Add(records, n, m_recordLength, &block.inside[start], output);
}

FileResult CLasRecordPipeline::WriteBlock(const Block& block, COutputStream* outputs[2], const Progress& progress) {
  // Progress and cancel first: a cancel seen at record i means the records up to and
  // including i are written, and no more.
  std::size_t records = block.records;
  FileResult result = kFileDone;
  const std::uint64_t end = block.first + block.records;
  for (std::uint64_t report = (block.first + kProgressInterval - 1) / kProgressInterval * kProgressInterval;
       report < end; report += kProgressInterval) {
    if (progress(static_cast<long long>(report * 100 / m_count))) {
      records = static_cast<std::size_t>(report - block.first + 1);
      result = kFileCancelled;
      break;
    }
  }
  for (std::size_t k = 0; k < records;) {
    const unsigned char in = block.inside[k];
    std::size_t next = k + 1;
    while (next < records && block.inside[next] == in) ++next;
    if (!outputs[in]->Write(block.bytes.data() + k * m_recordLength, (next - k) * m_recordLength))
      return kFileException;
    m_outputs[in].records += next - k;
    k = next;
  }
  return result;
}

FileResult CLasRecordPipeline::Run(CInputStream& input, COutputStream& transformedFile, COutputStream& excludedFile,
                                   const Transform& transform, const Progress& progress) {
  COutputStream* outputs[2] = {&excludedFile, &transformedFile};
  const auto scratch = std::make_unique<Scratch[]>(CSharedJob::kParts);
  std::uint64_t nextRecord = 0;
  CBlockPipeline::Stages stages;
  stages.read = [&](int buffer) {
    Block& block = m_blocks[buffer];
    ReadBlock(input, block, nextRecord);
    nextRecord += block.records;
    return block.whole && nextRecord < m_count;
  };
  stages.pieces = [&](int buffer) { return (m_blocks[buffer].records + kPiece - 1) / kPiece; };
  stages.transform = [&](int buffer, std::size_t piece, int part) {
    TransformPiece(m_blocks[buffer], piece, scratch[part], transform);
  };
  stages.write = [&](int buffer) {
    const FileResult result = WriteBlock(m_blocks[buffer], outputs, progress);
    // A block cut short by the end of the input is the last; its whole records are written.
    return result == kFileDone && !m_blocks[buffer].whole ? kFileException : result;
  };
  const FileResult result = CBlockPipeline::Run(stages);
  for (int part = 0; part < CSharedJob::kParts; ++part) m_separation.Merge(scratch[part].separation);
  if (result != kFileDone) return result;
  // Every record was summed up by the thread that transformed it; the pass is complete,
  // so each output's records are those of both threads.
  for (int output : {0, 1}) {
    m_outputs[output].summary = scratch[0].records[output];
    for (int part = 1; part < CSharedJob::kParts; ++part)
      m_outputs[output].summary.Merge(scratch[part].records[output]);
  }
  return kFileDone;
}
