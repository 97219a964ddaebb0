#pragma once
// The streaming text handlers' units (the lines of a point or sounding file, the cells
// of a grid) through CBlockPipeline. This thread reads the units into a block and,
// once the block is transformed, writes them out in order, one at a time; only the
// parsing, transforming and number formatting in between is shared out in pieces. So
// the outputs, the counts, the progress reports and the unit where a cancel or an
// error stops are those of a one-thread pass, and a unit after the stop is never
// counted.

#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/files/FileBase.h"
#include "core/grid/DataPt.h"

class CInputStream;

// What the transform stage made of one unit. Beyond these fields the meaning of `kind`
// and `flags` is the handler's own.
struct CTextOutcome {
  unsigned char kind = 0;
  unsigned char flags = 0;
  std::uint32_t keep = 0;                        // the unit's bytes written before the new number
  std::uint32_t resume = 0;                      // where the unit's bytes go on after it
  std::uint32_t numberAt = 0, numberLength = 0;  // the new number's text among the piece's numbers
  double a = 0, b = 0;                           // a position the reader knows (a grid's cells)
  double given = 0;                              // the separation applied, when the value was carried
};

class CTextPipeline {
 public:
  static constexpr std::size_t kPiece = 256;  // units per piece of shared work

  // One thread's points of a piece, handed to CFileBase::TransformPoints at once.
  struct alignas(64) Batch {
    std::size_t count = 0;
    std::uint32_t unit[kPiece];  // the piece's unit each point came from
    double a[kPiece], b[kPiece], z[kPiece], given[kPiece];
    bool transformed[kPiece];
    CDataPt point;
    void Add(std::size_t fromUnit, double atA, double atB, double value) {
      unit[count] = static_cast<std::uint32_t>(fromUnit);
      a[count] = atA;
      b[count] = atB;
      z[count++] = value;
    }
  };

  // A piece of a block for the transform stage: its units, an outcome for each, and
  // the batch of the thread doing it (emptied before).
  class Piece {
   public:
    std::size_t Count() const { return m_count; }
    std::string_view Unit(std::size_t i) const;
    CTextOutcome& Outcome(std::size_t i) { return m_outcomes[i]; }
    Batch& Points() { return *m_batch; }
    // Once the points of Points() went through CFileBase::TransformPoints: each unit
    // whose value was carried gets `kind`, the separation it was given and the "%.2f"
    // text of its new value followed by `after`.
    void SetCarried(unsigned char kind, std::string_view after = {});

   private:
    friend class CTextPipeline;
    std::size_t m_count = 0;
    const char* m_text = nullptr;
    const std::uint32_t* m_ends = nullptr;  // m_ends[i] is where unit i ends and unit i+1 begins
    CTextOutcome* m_outcomes = nullptr;
    std::string* m_numbers = nullptr;
    Batch* m_batch = nullptr;
  };

  // One unit for the write stage, transformed.
  struct Unit {
    std::string_view text;
    const CTextOutcome& outcome;
    std::string_view number;  // the new number's text, if any
    std::uint64_t position;   // the input position after the unit was read
  };

  // Reads the next unit from the input (the view must stay valid until the next call)
  // and may preset its outcome; false when there is none.
  using Read = std::function<bool(std::string_view& unit, CTextOutcome& outcome)>;
  using Transform = std::function<void(Piece& piece)>;
  // Writes one unit; anything but kFileDone ends the pass with that result.
  using Write = std::function<FileResult(const Unit& unit)>;

  CTextPipeline();
  ~CTextPipeline();
  CTextPipeline(const CTextPipeline&) = delete;
  CTextPipeline& operator=(const CTextPipeline&) = delete;

  // Reads `input` through `read` until it has no more units, transforms and writes
  // them: kFileDone when every unit read was written, else the result that stopped it.
  FileResult Run(const CInputStream& input, const Read& read, const Transform& transform, const Write& write);

 private:
  struct Block;

  bool ReadBlock(const CInputStream& input, const Read& read, Block& block) const;
  void TransformPiece(Block& block, std::size_t piece, int part, const Transform& transform);
  static FileResult WriteBlock(const Block& block, const Write& write);

  std::unique_ptr<Block[]> m_blocks;
  std::unique_ptr<Batch[]> m_batches;  // one per thread
};
