#pragma once
// Writes a binary grid file ("MRG", format code 1): the 83-byte header, then one block
// per lattice row (point count, then 32-byte point records), all little-endian, through
// one large block buffer. The first failure is remembered and reported by Close.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "grid/GridInt.h"

class CGridWriter {
 public:
  struct Header {
    std::int32_t majorVersion = 0, minorVersion = 0;
    std::int32_t year = 0, month = 0, day = 0;
    double gridSize = 0;  // decimal degrees
    double minLat = 0, maxLat = 0, minLon = 0, maxLon = 0;
    float valueOffset = 0, valueScale = 0;
    std::int32_t rowCount = 0;
  };
  static constexpr std::size_t kHeaderSize = 83;
  static constexpr std::size_t kRecordSize = 32;

  CGridWriter() = default;
  ~CGridWriter();
  CGridWriter(const CGridWriter&) = delete;
  CGridWriter& operator=(const CGridWriter&) = delete;

  // Creates (or replaces) the file for writing.
  bool Open(const std::string& path);
  void WriteHeader(const Header& header);
  // The row's point count, then its nodes in the order given (ascending column).
  void WriteRow(const CGridInt::Row& row);
  // Flushes and closes; false when any write or the close failed.
  bool Close();
  // What went wrong, naming the file and the system's reason.
  const std::string& ErrorReport() const { return m_error; }

 private:
  void Put(const void* bytes, std::size_t size);
  void PutI32(std::int32_t v);
  void PutU16(std::uint16_t v);
  void PutF32(float v);
  void PutF64(double v);
  void Flush();
  void Fail(int error);

  std::FILE* m_file = nullptr;
  std::string m_path;
  std::vector<unsigned char> m_buffer;
  std::size_t m_used = 0;
  std::string m_error;
};
