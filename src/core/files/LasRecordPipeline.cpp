#include "core/files/LasRecordPipeline.h"

#include <algorithm>

#include "core/common/InputStream.h"
#include "core/common/OutputStream.h"
#include "core/files/BlockPipeline.h"
#include "core/files/LasHeader.h"

namespace {

constexpr std::uint64_t kProgressInterval = 100;  // points
constexpr std::size_t kPiece = 256;               // records per piece of shared work

}  // namespace

CLasRecordPipeline::CLasRecordPipeline(const CLasHeader& header, std::uint64_t fileSize)
    : m_recordLength(header.RecordLength()),
      m_count(header.PointCount()),
      // No more records than the file holds after its header, and one over (so a file
      // that ends early is still found short in its first block): a small file costs no
      // megabyte blocks.
      m_blockRecords(static_cast<std::size_t>(
          std::min<std::uint64_t>({CInputStream::kBlockSize / m_recordLength, m_count,
                                   (fileSize - header.PointDataOffset()) / m_recordLength + 1}))),
      m_step(header) {
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
    Block& block = m_blocks[buffer];
    const std::size_t start = piece * kPiece;
    m_step.Apply(block.bytes.data() + start * m_recordLength, std::min(kPiece, block.records - start),
                 &block.inside[start], part, transform);
  };
  stages.write = [&](int buffer) {
    const FileResult result = WriteBlock(m_blocks[buffer], outputs, progress);
    // A block cut short by the end of the input is the last; its whole records are written.
    return result == kFileDone && !m_blocks[buffer].whole ? kFileException : result;
  };
  const FileResult result = CBlockPipeline::Run(stages);
  m_separation = m_step.Separation();
  if (result != kFileDone) return result;
  // Every record was summed up by the thread that transformed it; the pass is complete,
  // so each output's records are those of both threads.
  for (const unsigned char output : {0, 1}) m_outputs[output].summary = m_step.Summary(output);
  return kFileDone;
}
