#pragma once
// The public header block at the start of a LAS file (ASPRS LAS 1.0 to 1.4): where the
// fields the LAS handler uses lie, their reading and checking against the file before a
// record is read (as PDAL's LAS reader checks them), and the rewrite of an output's
// header once the handler knows what the output holds. Fields are little-endian;
// offsets count bytes from the start of the file.
//
// The rewrite reads the header into memory, changes it there and writes it back in one
// piece, so a failure on the way leaves the file as it was.

#include <array>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

class CInputStream;
class CLasRecordSummary;

class CLasHeader {
 public:
  // Byte offsets of the fields from the start of the file, and where the fields that
  // the handler reads end, by version.
  enum Field : std::size_t {
    kGlobalEncoding = 6,  // 16-bit; bit 4 (from 1.4): the CRS is given as WKT
    kVersionMajor = 24,
    kVersionMinor = 25,
    kHeaderSize = 94,  // 16-bit
    kPointDataOffset = 96,
    kVlrCount = 100,  // 32-bit
    kPointFormat = 104,
    kRecordLength = 105,
    kLegacyCount = 107,
    kLegacyByReturn = 111,    // five 32-bit counts, return numbers 1 to 5
    kScale = 131,             // X, Y, Z scale factors (doubles)
    kOffset = 155,            // X, Y, Z offsets (doubles)
    kExtent = 179,            // max X, min X, max Y, min Y, max Z, min Z (doubles)
    kWaveformStart = 227,     // from 1.3
    kExtendedVlrStart = 235,  // from 1.4
    kExtendedVlrCount = 243,  // from 1.4, 32-bit
    kCount64 = 247,           // from 1.4
    kByReturn64 = 255,        // from 1.4: fifteen 64-bit counts, return numbers 1 to 15
    kHeaderEnd = 179,         // end of the fields read, up to 1.2
    kHeaderEnd13 = 235,       // 1.3
    kHeaderEnd14 = 255,       // 1.4
    kMaxSize = 375,           // the whole 1.4 header: the most a rewrite looks at
  };
  // X, Y and Z, the start of every point record, as signed 32-bit integers.
  static constexpr std::size_t kXyzBytes = 12;

  // The input's header: reads the fields the record pass needs from the start of
  // `input`, which stays where it was (the header is copied to the outputs as it is).
  // False when the file ends before them.
  bool Read(CInputStream& input);
  // Whether the fields read describe records the handler can copy from a file of
  // `fileSize` bytes: each record has room for X, Y and Z, and the point data starts
  // after the fields read and no later than the end of the file. When not, `why` (when
  // given) receives what is wrong, as a sentence for the file's notes.
  bool FitsFile(std::uint64_t fileSize, std::string* why = nullptr) const;

  // Fields of the header read (or opened for rewriting); a field beyond what was read
  // is not asked for.
  std::uint64_t PointDataOffset() const;
  std::size_t RecordLength() const;
  // The point data format byte as stored (LAZ files set bits 6 and 7 in it).
  unsigned PointFormatByte() const;
  // Where the variable-length records start (the header's own size) and how many the
  // header counts.
  std::uint64_t HeaderSize() const;
  std::uint64_t VlrCount() const;
  // From 1.4: where the extended records start (0: none) and how many there are; 0
  // before 1.4.
  std::uint64_t ExtendedVlrStart() const;
  std::uint64_t ExtendedVlrCount() const;
  // From 1.4, the global encoding's WKT bit: the file's CRS is its WKT record rather
  // than its GeoTIFF keys.
  bool CrsIsWkt() const;
  // The 64-bit count from 1.4, else the legacy 32-bit count.
  std::uint64_t PointCount() const;
  // Scale factor and offset of an axis (0 X, 1 Y, 2 Z): a coordinate is the stored
  // integer x scale + offset.
  double Scale(int axis) const;
  double Offset(int axis) const;

  // An output's header: reads the header of the file at `path` (its first kMaxSize
  // bytes, fewer in a shorter file) for rewriting. False when the file cannot be opened
  // for reading and writing.
  bool Open(const std::string& path);

  // Counts for a file that holds `count` of the points, the records that went elsewhere
  // taking `bytesRemoved` bytes: the legacy count (when not 0); from 1.3 the waveform
  // start and from 1.4 the extended record start, moved back by those bytes (when not 0);
  // from 1.4 the 64-bit count. False, nothing changed, when the header is too short.
  bool SetCounts(std::uint64_t count, std::uint64_t bytesRemoved);

  // The extent and the points by return of the records in `records` (nothing when it is
  // empty): minimum and maximum X, Y, Z as integer x scale + offset; the five 32-bit
  // counts by return when the legacy count is not 0, and from 1.4 the fifteen 64-bit
  // ones. A field beyond the header's own size is left alone, and so are the counts by
  // return of a point format other than 0 to 10, whose return number is not known here.
  void SetSummary(const CLasRecordSummary& records);

  // For an output whose point data differs in size from the input's (LAZ): where the
  // point data starts and how many variable-length records lie before it; and for a tail
  // (what follows the point data) that started at `oldTail` and now starts at `newTail`
  // with `extendedCount` extended records, from 1.4 their start (0 when none is left)
  // and count, when the input had any, and from 1.3 a waveform start that lay in the
  // tail. False, nothing changed, when the header is too short for its version.
  bool SetLayout(std::uint32_t pointDataOffset, std::uint32_t vlrCount, std::uint64_t oldTail, std::uint64_t newTail,
                 std::uint32_t extendedCount);

  // Writes the header back and closes the file; false when that fails.
  bool Save();

 private:
  // Version tests: 1.3 and later, 1.4 and later (of major version 1 only).
  bool Is13() const;
  bool Is14() const;
  // Where the fields read end for this header's version.
  std::size_t FieldsEnd() const;

  std::fstream m_file;
  std::array<char, kMaxSize> m_bytes{};
  std::size_t m_size = 0;  // bytes read into m_bytes
};
