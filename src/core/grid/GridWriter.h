#pragma once
// Writes a binary grid file (see GridFileHeader.h): the header, then one block per
// lattice row (point count, then point records), through one large block buffer. The
// first failure is remembered and reported by Close.

#include <cstddef>
#include <string>
#include <vector>

#include "core/common/FileHandle.h"
#include "core/grid/GridFileHeader.h"
#include "core/grid/GridInt.h"

class CGridWriter {
 public:
  using Header = CGridFileHeader;

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
  // Room for `size` bytes in the buffer (at most its size), written out first when full.
  char* Reserve(std::size_t size);
  void Flush();
  void Fail(int error);

  CFileHandle m_file;
  std::string m_path;
  std::vector<char> m_buffer;
  std::size_t m_used = 0;
  std::string m_error;
};
