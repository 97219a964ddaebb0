#pragma once
// What surrounds the chunks of a LAZ file, as the LAS handler reads it and writes its
// outputs (LASzip's layout: lasreadpoint.cpp, laswritepoint.cpp):
//
//   header | VLRs, LASzip's among them | 8 bytes: the chunk table's offset |
//   chunks | chunk table | extended VLRs (from LAS 1.4)
//
// A table offset of -1 says the writer could not go back: the offset is then the file's
// last 8 bytes. Before any output is made, Read checks everything the record pass will
// trust: the LASzip record names a chunked compressor and items the codec reads, for
// records of the header's length; the chunk table describes exactly the point data and
// the header's points; no chunk holds more than is decoded at once.
//
// An output keeps the input's header, VLRs (its LASzip record: items, versions and chunk
// size), bits 7 and 6 of the point format and the extended VLRs; its own chunks and
// chunk table take the place of the input's, and its header is made to describe them.
// A COPC file's outputs are plain LAZ: their points are no longer in the octree order
// that COPC's records describe (its info record before the points, its hierarchy
// after them, which gives byte offsets into the input), so every record of user "copc"
// is left out.

#include <cstdint>
#include <string>
#include <vector>

#include "core/files/LasVlrs.h"
#include "core/laz/LazChunkTable.h"
#include "core/laz/LazVlr.h"

class CInputStream;
class COutputStream;
class CLasHeader;
class CLasRecordSummary;

class CLazFraming {
 public:
  // The most bytes of records a chunk may decode to, and the most bytes it may take: a
  // chunk is decoded whole, and a few are decoded at once on each thread. (LASzip's
  // chunks hold 50,000 points; COPC's hold an octree node each.)
  static constexpr std::uint64_t kMaxChunkBytes = std::uint64_t{256} << 20;

  // Reads the LAZ framing of the file at `path` of `fileSize` bytes whose header and
  // records (walked) are `header` and `records`. False, with `why` (a sentence for the
  // file's notes), when it does not describe points the handler can decode.
  bool Read(const std::string& path, std::uint64_t fileSize, const CLasHeader& header, CLasVlrs& records,
            std::string& why);

  const CLazVlr& Vlr() const { return m_vlr; }
  const CLazChunkTable& Chunks() const { return m_chunks; }
  // The file is COPC (it has COPC's info record).
  bool IsCopc() const { return m_copc; }

  // Writing the outputs, in file order (each copy false when the input ends first or a
  // write fails):
  // The header and VLRs (the input at its start), COPC's left out, and the 8 bytes of
  // the chunk table's offset, for now the offset of those bytes (a file whose writer
  // never went back, as LASzip marks it); the input is left at its first chunk.
  bool CopyHead(CInputStream& input, COutputStream& first, COutputStream& second) const;
  // Where an output's first chunk starts.
  std::uint64_t OutputChunksStart() const { return m_outputPointData + 8; }
  // What follows the input's point data, COPC's left out (the input anywhere after its
  // last chunk).
  bool CopyTail(CInputStream& input, COutputStream& first, COutputStream& second) const;
  // The closed output at `path`, holding `count` of the points (their summary
  // `records`), its chunk table at `tableOffset` and what follows at `tailStart`: its
  // header is made to describe them and the table's offset is written. False when the
  // file cannot be rewritten.
  bool FinishOutput(const std::string& path, std::uint64_t count, const CLasRecordSummary& records,
                    std::uint64_t tableOffset, std::uint64_t tailStart) const;

 private:
  // Reads the chunk table whose offset is at the start of the point data.
  bool ReadChunkTable(const std::string& path, std::uint64_t fileSize, const CLasHeader& header, std::string& why);
  // Copies the input's bytes from its position up to `end` to both outputs, leaving out
  // the spans to drop.
  bool CopyUpTo(CInputStream& input, std::uint64_t end, COutputStream& first, COutputStream& second) const;

  CLazVlr m_vlr;
  CLazChunkTable m_chunks;
  bool m_copc = false;
  std::vector<CLasVlrs::Span> m_dropped;  // in file order
  std::uint64_t m_pointData = 0, m_tailStart = 0, m_fileSize = 0;
  std::uint64_t m_outputPointData = 0;                   // the outputs' point data offset
  std::uint32_t m_outputVlrs = 0, m_outputExtended = 0;  // and their VLR and extended VLR counts
};
