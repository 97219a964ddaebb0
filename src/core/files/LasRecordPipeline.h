#pragma once
// The record pass of the LAS handler: point records go a block at a time through the
// two buffers of CBlockPipeline, so that the files are read and written while the
// points are transformed. Each new Z is written over the old one in its buffer; then
// runs of records bound for the same output are copied in one piece. Every other byte
// of a record is copied as it is (CLasPointStep).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "core/files/FileBase.h"
#include "core/files/LasPointStep.h"
#include "core/files/LasRecordSummary.h"
#include "core/files/SeparationStats.h"

class CInputStream;
class CLasHeader;
class COutputStream;

class CLasRecordPipeline {
 public:
  using Transform = CLasPointStep::Transform;
  using Progress = CLasPointStep::Progress;

  // What went to one output: its records and (after a complete pass) what they hold.
  struct Output {
    std::uint64_t records = 0;
    CLasRecordSummary summary;
  };

  // The records the header describes (their length, count, scales and offsets) in a
  // file of `fileSize` bytes that the header fits.
  CLasRecordPipeline(const CLasHeader& header, std::uint64_t fileSize);
  CLasRecordPipeline(const CLasRecordPipeline&) = delete;
  CLasRecordPipeline& operator=(const CLasRecordPipeline&) = delete;

  // Streams the records from `input` (at the first record) to the transformed file (a
  // record whose new Z was carried and fits the record) or the excluded file (every
  // other). kFileDone when every record went out; kFileCancelled when the user
  // cancelled (the records up to and including the one where it was seen are written);
  // kFileException when the input ends inside the records or a write fails.
  FileResult Run(CInputStream& input, COutputStream& transformedFile, COutputStream& excludedFile,
                 const Transform& transform, const Progress& progress);

  const Output& Transformed() const { return m_outputs[1]; }
  const Output& Excluded() const { return m_outputs[0]; }
  // The separation applied to the records transformed, however the pass ended.
  const CSeparationStats& Separation() const { return m_separation; }

 private:
  // One buffer of records.
  struct Block {
    std::vector<char> bytes;
    std::vector<unsigned char> inside;  // per record: it goes to the transformed file
    std::uint64_t first = 0;            // index of the block's first record
    std::size_t records = 0;            // whole records read
    bool whole = true;                  // false: the input ended before the block did
  };

  void ReadBlock(CInputStream& input, Block& block, std::uint64_t first) const;
  FileResult WriteBlock(const Block& block, COutputStream* outputs[2], const Progress& progress);

  std::size_t m_recordLength;
  std::uint64_t m_count;
  std::size_t m_blockRecords;
  Block m_blocks[2];
  CLasPointStep m_step;
  Output m_outputs[2];  // [0] the excluded file's, [1] the transformed file's
  CSeparationStats m_separation;
};
