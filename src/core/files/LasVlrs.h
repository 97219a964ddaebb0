#pragma once
// The variable-length records of a LAS file, as far as the LAS handler reads them: the
// chain after the public header block (LAS 1.4 R15, "Variable Length Records": a
// 54-byte header each, a 16-bit length at byte 20) and, from 1.4, the extended records
// after the point data ("Extended Variable Length Records": a 60-byte header each, a
// 64-bit length at byte 20). Record headers are read one at a time, each length checked
// against the bytes that remain, and only the records the handler uses are kept (those
// that declare the file's CRS, LASzip's and COPC's), so a count read from the file never
// sizes an allocation beyond the records kept.
//
// This is also where a LAS file is found to be compressed (LAZ, and COPC, which is LAZ),
// and where its LASzip record and its COPC records lie.

#include <cstdint>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

class CLasHeader;

class CLasVlrs {
 public:
  // Where the bytes of one record (after its header) lie in the file.
  struct Record {
    std::uint64_t offset = 0, length = 0;
  };
  // Where one whole record, its header included, lies in the file.
  struct Span {
    std::uint64_t start = 0, size = 0;
  };

  // Walks the records of the file at `path`, whose header is `header` and which holds
  // `fileSize` bytes. False, with `why` (a sentence for the file's notes), when the file
  // cannot be read or the records the header counts run past the start of the point
  // data. Extended records that run past the end of the file end the walk there (they
  // are copied as they are).
  bool Read(const std::string& path, std::uint64_t fileSize, const CLasHeader& header, std::string& why);

  // The point data of the file whose header is `header` is compressed: the point data
  // format byte has bit 7 or bit 6 set (LASzip's mark), or the walk saw a record of user
  // "laszip encoded", ID 22204. Also after a Read that failed, or none.
  bool IsCompressed(const CLasHeader& header) const;

  // Whole records between the last one the header counts and the point data (a count
  // that is too small). Two bytes 0xDD 0xCC (the point data start signature of LAS 1.0
  // files) and padding, which writers leave there, are no record.
  std::uint64_t Uncounted() const { return m_uncounted; }

  // The CRS records (user "LASF_Projection"): the GeoKey directory (34735), its ASCII
  // parameters (34737) and the WKT (2112). The first of each among the records, an
  // extended record's WKT taking the place of one before the points (it is written
  // later, to revise the CRS).
  const std::optional<Record>& GeoKeys() const { return m_geoKeys; }
  const std::optional<Record>& GeoAscii() const { return m_geoAscii; }
  const std::optional<Record>& Wkt() const { return m_wkt; }

  // LASzip's record (user "laszip encoded", ID 22204), the first one.
  const std::optional<Record>& Laszip() const { return m_laszipRecord; }
  // The records of user "copc" (COPC's info record before the points, its hierarchy
  // after them), in file order, and whether the file has the info record (it is COPC).
  const std::vector<Span>& Copc() const { return m_copc; }
  bool HasCopcInfo() const { return m_copcInfo; }

  // The bytes of `record` (as read by the last Read), or "" when it holds more than
  // `limit` bytes or cannot be read.
  std::string Bytes(const std::optional<Record>& record, std::size_t limit);

 private:
  // Takes note of a record the handler uses; its header is `headerSize` bytes.
  void Keep(const char* header, const Record& record, std::size_t headerSize, bool extended);
  // Counts the whole records that lie from `position` up to `end`.
  void CountUncounted(std::uint64_t position, std::uint64_t end);
  bool ReadAt(std::uint64_t offset, char* out, std::size_t count);

  std::ifstream m_file;
  bool m_laszip = false;
  std::uint64_t m_uncounted = 0;
  std::optional<Record> m_geoKeys, m_geoAscii, m_wkt, m_laszipRecord;
  std::vector<Span> m_copc;
  bool m_copcInfo = false;
};
