#pragma once
// Writes a binary grid file (see GridFileHeader.h): the header, then one block per
// lattice row (point count, then point records), through a COutputStream. The first
// failure is remembered and reported by Close.

#include <string>

#include "core/common/OutputStream.h"
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
  // Writes out and closes; false when any write or the close failed.
  bool Close();
  // What went wrong, naming the file and the system's reason.
  const std::string& ErrorReport() const { return m_error; }

 private:
  COutputStream m_out;
  std::string m_error;
};
