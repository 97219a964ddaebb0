#include "core/files/LazRecordPipeline.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "core/common/InputStream.h"
#include "core/common/OutputStream.h"
#include "core/files/BlockPipeline.h"
#include "core/files/LasHeader.h"
#include "core/files/LazFraming.h"
#include "core/jobs/SharedJob.h"
#include "core/laz/LazError.h"

namespace {

// A block holds up to this many input chunks, whose coded bytes and whose records each
// take no more than this many bytes (but always one chunk): enough pieces to keep both
// threads busy to the end of a block with LASzip's chunks of 50,000 points.
constexpr std::size_t kBlockChunks = 8;
constexpr std::size_t kBlockBytes = 12 << 20;
// The blocks that follow the last chunk: the records gathered from the last block are
// coded with the first and written with the second.
constexpr int kClosingBlocks = 2;

// Bytes that are always written before they are read, grown without being filled: a
// hostile chunk's claimed size costs address space, not memory, until it decodes.
class CScratchBytes {
 public:
  std::uint8_t* Reserve(std::size_t size) {
    if (size > m_size) {
      m_bytes.reset(new std::uint8_t[size]);
      m_size = size;
    }
    return m_bytes.get();
  }
  std::uint8_t* Data() { return m_bytes.get(); }

 private:
  std::unique_ptr<std::uint8_t[]> m_bytes;
  std::size_t m_size = 0;
};

}  // namespace

struct CLazRecordPipeline::Block {
  struct Chunk {
    std::size_t index;  // in the file
    std::uint64_t points;
    std::size_t at, bytes;  // in `coded`
    std::size_t first;      // its first record among the block's
    std::optional<CLazError> error;
  };
  // An output chunk to code: records of one output.
  struct Task {
    unsigned char output = 0;
    std::size_t count = 0;
    std::vector<std::uint8_t> records, coded;
  };
  std::vector<Chunk> chunks;
  CScratchBytes coded, records, inside;
  std::vector<Task> tasks;  // the first taskCount are this block's
  std::size_t taskCount = 0;
  bool whole = true;  // false: the input ended before the block did
};

CLazRecordPipeline::CLazRecordPipeline(const CLasHeader& header, const CLazFraming& framing)
    : m_recordLength(header.RecordLength()),
      m_count(header.PointCount()),
      m_chunks(framing.Chunks()),
      m_chunkSize(framing.Vlr().chunkSize),
      m_variable(framing.Vlr().VariableChunks()),
      m_vlr(framing.Vlr()),
      m_blocks(std::make_unique<Block[]>(2)),
      m_step(header),
      m_tables{CLazChunkTable(framing.OutputChunksStart()), CLazChunkTable(framing.OutputChunksStart())} {}

CLazRecordPipeline::~CLazRecordPipeline() = default;

bool CLazRecordPipeline::ReadBlock(CInputStream& input, Block& block) {
  block.chunks.clear();
  std::size_t bytes = 0, records = 0;
  const std::vector<CLazChunkTable::CChunk>& all = m_chunks.Chunks();
  while (m_nextChunk < all.size() && block.chunks.size() < kBlockChunks) {
    const CLazChunkTable::CChunk& chunk = all[m_nextChunk];
    if (!block.chunks.empty() &&
        ((records + chunk.points) * m_recordLength > kBlockBytes || bytes + chunk.bytes > kBlockBytes))
      break;
    block.chunks.push_back({m_nextChunk, chunk.points, bytes, static_cast<std::size_t>(chunk.bytes), records, {}});
    bytes += static_cast<std::size_t>(chunk.bytes);
    records += static_cast<std::size_t>(chunk.points);
    ++m_nextChunk;
  }
  block.records.Reserve(records * m_recordLength);
  block.inside.Reserve(records);
  block.whole = input.Read(reinterpret_cast<char*>(block.coded.Reserve(bytes)), bytes) == bytes;
  if (block.chunks.empty()) ++m_emptyBlocks;
  return block.whole && m_emptyBlocks < kClosingBlocks;
}

void CLazRecordPipeline::DoPiece(Block& block, std::size_t piece, int part, const Transform& transform) {
  if (piece < block.chunks.size()) {
    Block::Chunk& chunk = block.chunks[piece];
    std::uint8_t* records = block.records.Data() + chunk.first * m_recordLength;
    if (!m_decoders[part]) m_decoders[part] = std::make_unique<CLazChunkDecoder>(m_vlr);
    try {
      m_decoders[part]->DecodeChunk(block.coded.Data() + chunk.at, chunk.bytes, chunk.points, records);
    } catch (const CLazError& error) {
      // Kept for the write stage, which meets the chunks in order.
      chunk.error = CLazError::InChunk(chunk.index, error);
      return;
    }
    m_step.Apply(reinterpret_cast<char*>(records), static_cast<std::size_t>(chunk.points),
                 block.inside.Data() + chunk.first, part, transform);
  } else {
    Block::Task& task = block.tasks[piece - block.chunks.size()];
    task.coded.clear();
    if (!m_encoders[part]) m_encoders[part] = std::make_unique<CLazChunkEncoder>(m_vlr);
    m_encoders[part]->EncodeChunk(task.records.data(), task.count, task.coded);
  }
}

FileResult CLazRecordPipeline::WriteBlock(Block& block, COutputStream* outputs[2], const Progress& progress) {
  if (!block.whole) return kFileException;
  for (std::size_t t = 0; t < block.taskCount; ++t) {
    const Block::Task& task = block.tasks[t];
    if (!outputs[task.output]->Write(reinterpret_cast<const char*>(task.coded.data()), task.coded.size()))
      return kFileException;
    m_tables[task.output].Add(task.count, task.coded.size());
    m_outputs[task.output].records += task.count;
  }
  block.taskCount = 0;
  // Cancel is looked at before each chunk: the chunks gathered before it are the last
  // written.
  for (std::size_t c = 0; c < block.chunks.size(); ++c) {
    if (block.chunks[c].error) throw *block.chunks[c].error;
    if (progress(static_cast<long long>(m_recordsGathered * 100 / m_count))) return kFileCancelled;
    Gather(block, c);
  }
  if (!block.chunks.empty() && block.chunks.back().index + 1 == m_chunks.Chunks().size()) {
    for (const unsigned char output : {0, 1})
      if (m_gathered[output].count) CloseChunk(block, output);
  }
  return kFileDone;
}

void CLazRecordPipeline::Gather(Block& block, std::size_t c) {
  const Block::Chunk& chunk = block.chunks[c];
  const std::uint8_t* records = block.records.Data() + chunk.first * m_recordLength;
  const unsigned char* inside = block.inside.Data() + chunk.first;
  const auto points = static_cast<std::size_t>(chunk.points);
  for (std::size_t k = 0; k < points;) {
    const unsigned char output = inside[k];
    std::size_t run = 1;
    while (k + run < points && inside[k + run] == output) ++run;
    Gathered& gathered = m_gathered[output];
    // With fixed chunks, a run may fill the output's chunk part way.
    while (run > 0) {
      const std::size_t take =
          m_variable ? run : static_cast<std::size_t>(std::min<std::uint64_t>(run, m_chunkSize - gathered.count));
      const std::uint8_t* from = records + k * m_recordLength;
      gathered.records.insert(gathered.records.end(), from, from + take * m_recordLength);
      gathered.count += take;
      k += take;
      run -= take;
      if (!m_variable && gathered.count == m_chunkSize) CloseChunk(block, output);
    }
  }
  m_recordsGathered += points;
  if (m_variable) {
    for (const unsigned char output : {0, 1})
      if (m_gathered[output].count) CloseChunk(block, output);
  }
}

void CLazRecordPipeline::CloseChunk(Block& block, unsigned char output) {
  if (block.taskCount == block.tasks.size()) block.tasks.emplace_back();
  Block::Task& task = block.tasks[block.taskCount++];
  Gathered& gathered = m_gathered[output];
  task.output = output;
  task.count = gathered.count;
  std::swap(task.records, gathered.records);  // the task's old buffer gathers next
  gathered.records.clear();
  gathered.count = 0;
}

FileResult CLazRecordPipeline::Run(CInputStream& input, COutputStream& transformedFile, COutputStream& excludedFile,
                                   const Transform& transform, const Progress& progress) {
  COutputStream* outputs[2] = {&excludedFile, &transformedFile};
  CBlockPipeline::Stages stages;
  stages.read = [&](int buffer) { return ReadBlock(input, m_blocks[buffer]); };
  stages.pieces = [&](int buffer) {
    const Block& block = m_blocks[buffer];
    return block.whole ? block.chunks.size() + block.taskCount : 0;
  };
  stages.transform = [&](int buffer, std::size_t piece, int part) {
    DoPiece(m_blocks[buffer], piece, part, transform);
  };
  stages.write = [&](int buffer) { return WriteBlock(m_blocks[buffer], outputs, progress); };
  const FileResult result = CBlockPipeline::Run(stages);
  if (result != kFileDone) return result;

  for (const unsigned char output : {0, 1}) {
    Output& out = m_outputs[output];
    out.summary = m_step.Summary(output);
    out.tableOffset = m_tables[output].End();
    const std::vector<std::uint8_t> table = m_tables[output].Serialize(m_variable);
    if (!outputs[output]->Write(reinterpret_cast<const char*>(table.data()), table.size())) return kFileException;
    out.tableEnd = out.tableOffset + table.size();
  }
  return kFileDone;
}
