#pragma once
// The record pass of the LAS handler: point records go a block at a time through the
// two buffers of CBlockPipeline, so that the files are read and written while the
// points are transformed. Each new Z is written over the old one in its buffer; then
// runs of records bound for the same output are copied in one piece. Every other byte
// of a record is copied as it is.
//
// A record's new Z is its stored Z plus the metres its height was given, in units of
// the Z scale rounded to the nearest (halves away from zero): the file keeps its own Z
// resolution (millimetres stay millimetres), and neither the offset nor the height
// passes through a rounding of its own, so no point can come out one unit off.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "core/files/FileBase.h"
#include "core/files/LasRecordSummary.h"
#include "core/files/SeparationStats.h"

class CDataPt;
class CInputStream;
class CLasHeader;
class COutputStream;

class CLasRecordPipeline {
 public:
  // Carries the heights z[0..count) at positions (a, b) to the output reference in
  // place; transformed[i] tells whether z[i] was carried, given[i] then the metres it
  // was given. The positions are scratch that the transform may change. Called on two
  // threads at once, each with a point of its own for the interpolated surfaces and a
  // tally of its own for the separation applied.
  using Transform = std::function<void(std::size_t count, double* a, double* b, double* z, bool* transformed,
                                       double* given, CDataPt& point, CSeparationStats& separation)>;
  // Sends the percentage of records done; true when the user asked to cancel.
  using Progress = std::function<bool(long long percent)>;

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
  struct Scratch;

  void ReadBlock(CInputStream& input, Block& block, std::uint64_t first) const;
  // Transforms piece `piece` of `block` with the scratch of thread `part`.
  void TransformPiece(Block& block, std::size_t piece, Scratch& work, const Transform& transform) const;
  FileResult WriteBlock(const Block& block, COutputStream* outputs[2], const Progress& progress);

  std::size_t m_recordLength;
  std::uint64_t m_count;
  double m_scale[3], m_offset[3];
  std::size_t m_blockRecords;
  Block m_blocks[2];
  Output m_outputs[2];  // [0] the excluded file's, [1] the transformed file's
  CSeparationStats m_separation;
};
