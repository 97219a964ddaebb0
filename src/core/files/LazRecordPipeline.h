#pragma once
// The record pass of the LAS handler for compressed points (LAZ), on every core. Chunks
// are independent, so a block of the input's chunks goes through the two buffers of
// CBlockPipeline: the pieces of block k, shared by both threads, are the decoding of
// each of its chunks (followed by the per-point step on its records) and the coding of
// each output chunk gathered from block k-2; meanwhile this thread writes the output
// chunks coded with block k-1, gathers block k-1's records into output chunks, and
// reads block k+1's bytes. Output chunks are written in order, and memory holds two
// blocks of a few chunks each and one chunk of each output being gathered, whatever the
// size of the file.
//
// Each output's chunks are made from its own records in input order: with the input's
// fixed chunk size every chunk but the last holds that many records; with variable
// chunks (COPC's) the records one input chunk sends to an output make one chunk of it.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/files/FileBase.h"
#include "core/files/LasPointStep.h"
#include "core/files/LasRecordPipeline.h"
#include "core/files/SeparationStats.h"
#include "core/laz/LazChunkCodec.h"
#include "core/laz/LazChunkTable.h"

class CInputStream;
class CLasHeader;
class CLazFraming;
class COutputStream;

class CLazRecordPipeline {
 public:
  using Transform = CLasPointStep::Transform;
  using Progress = CLasPointStep::Progress;

  // What went to one output (as from uncompressed records), and after a complete pass
  // where its chunk table starts and where the bytes after the table start.
  struct Output : CLasRecordPipeline::Output {
    std::uint64_t tableOffset = 0, tableEnd = 0;
  };

  // The chunks that `framing` found in the file whose header is `header`.
  CLazRecordPipeline(const CLasHeader& header, const CLazFraming& framing);
  ~CLazRecordPipeline();
  CLazRecordPipeline(const CLazRecordPipeline&) = delete;
  CLazRecordPipeline& operator=(const CLazRecordPipeline&) = delete;

  // Streams the chunks from `input` (at the first chunk) to the transformed file (the
  // records whose new Z was carried and fits) and the excluded file (every other), each
  // output's chunks followed by its chunk table. kFileDone when every record went out;
  // kFileCancelled when the user cancelled (the chunks written so far stay, without a
  // table); kFileException when the input ends inside the chunks or a write fails.
  // Throws CLazError, naming the chunk, when a chunk does not decode.
  FileResult Run(CInputStream& input, COutputStream& transformedFile, COutputStream& excludedFile,
                 const Transform& transform, const Progress& progress);

  const Output& Transformed() const { return m_outputs[1]; }
  const Output& Excluded() const { return m_outputs[0]; }
  // The separation applied to the records transformed, however the pass ended.
  CSeparationStats Separation() const { return m_step.Separation(); }

 private:
  struct Block;
  // The records of one output not yet in a chunk of its own.
  struct Gathered {
    std::vector<std::uint8_t> records;
    std::size_t count = 0;
  };

  bool ReadBlock(CInputStream& input, Block& block);
  void DoPiece(Block& block, std::size_t piece, int part, const Transform& transform);
  FileResult WriteBlock(Block& block, COutputStream* outputs[2], const Progress& progress);
  // Sends the records of `block`'s chunk `chunk` to the outputs' gathered records.
  void Gather(Block& block, std::size_t chunk);
  // The gathered records of `output` become a chunk for `block` to code.
  void CloseChunk(Block& block, unsigned char output);

  std::size_t m_recordLength;
  std::uint64_t m_count;
  const CLazChunkTable& m_chunks;
  std::uint64_t m_chunkSize;  // of the outputs' chunks; 0: one per input chunk
  bool m_variable;
  const CLazVlr& m_vlr;
  std::unique_ptr<Block[]> m_blocks;
  // Each thread's coders (CSharedJob's parts), made when the thread first needs one.
  std::unique_ptr<CLazChunkDecoder> m_decoders[2];
  std::unique_ptr<CLazChunkEncoder> m_encoders[2];
  CLasPointStep m_step;
  std::size_t m_nextChunk = 0;  // the next input chunk to read
  int m_emptyBlocks = 0;        // read after the last chunk (the blocks that finish the coding)
  std::uint64_t m_recordsGathered = 0;
  Gathered m_gathered[2];
  CLazChunkTable m_tables[2];
  Output m_outputs[2];  // [0] the excluded file's, [1] the transformed file's
};
