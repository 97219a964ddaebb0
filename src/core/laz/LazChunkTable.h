#pragma once
// Where the chunks of a LAZ file's point data lie. As LASzip writes it (lasreadpoint.cpp,
// laswritepoint.cpp): the point data starts with the 64-bit file offset of the chunk
// table, the chunks follow one after the other, and the table comes after the last:
//   u32 version (0)  u32 chunk count
//   then, arithmetic coded with an integer compressor of 32 bits and 2 contexts, for each
//   chunk its point count (context 0; only when chunks vary in size) and its bytes
//   (context 1), each predicted by the previous chunk's.
// An offset of -1 means the writer could not go back: the offset is then the file's last
// 8 bytes. Fixed-size chunks hold the VLR's chunk size of points each, the last the rest.
//
// Everything read is checked against the bytes that hold it: the chunks must fill the
// point data exactly, every chunk has points and bytes, the counts add up to the file's
// points. Nothing here reads or writes a file.

#include <cstddef>
#include <cstdint>
#include <vector>

class CLazChunkTable {
 public:
  struct CChunk {
    std::uint64_t offset = 0;  // in the file
    std::uint64_t bytes = 0;
    std::uint64_t points = 0;
  };

  // More points than a chunk of `bytes` bytes can hold: every coded point takes at least
  // one modelled decision, and no model gives one a probability above 1 - 2^-15, so a
  // point takes over 2^-15 bits (the first is stored raw).
  static std::uint64_t MaxPoints(std::uint64_t bytes) { return bytes * 8 * 32768 + 1; }

  // The table of a file's point data: `table` holds the file's bytes from the table's
  // offset (`size` of them, to the end of the file or of the point data) and
  // `chunksStart` is where the first chunk starts (the point data offset + 8).
  // `chunkSize` is the LASzip record's, `pointCount` the header's, `recordLength` the
  // bytes of a record (a chunk holds its first record raw, then at least four bytes).
  // Throws CLazError when the table does not describe exactly the bytes from chunksStart
  // to tableOffset and the file's points; the chunks it lists are at most the bytes
  // before the table / (recordLength + 4).
  static CLazChunkTable Parse(const std::uint8_t* table, std::size_t size, std::uint64_t chunksStart,
                              std::uint64_t tableOffset, std::uint32_t chunkSize, std::uint64_t pointCount,
                              std::size_t recordLength);

  // Writing: a chunk of `points` points and `bytes` bytes, appended after the others
  // (the first starting at `chunksStart`).
  explicit CLazChunkTable(std::uint64_t chunksStart = 0) : m_chunksStart(chunksStart) {}
  void Add(std::uint64_t points, std::uint64_t bytes);
  // The table's bytes as written after the last chunk; with `variable` each chunk's
  // point count goes in too.
  std::vector<std::uint8_t> Serialize(bool variable) const;
  // Where the table starts: after the last chunk.
  std::uint64_t End() const;

  const std::vector<CChunk>& Chunks() const { return m_chunks; }

 private:
  std::uint64_t m_chunksStart;
  std::vector<CChunk> m_chunks;
};
