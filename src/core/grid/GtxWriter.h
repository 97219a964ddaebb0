#pragma once
// Writes a GTX vertical-shift grid, the layout PROJ's vgridshift reads: a 40-byte
// big-endian header (latitude and longitude of the south-west node, latitude and
// longitude spacing, all f64 decimal degrees; row and column counts, i32), then the
// rows from south to north, each from west to east, as big-endian f32 metres. Nodes
// without a value hold -88.8888, GTX's no-data value.

#include <cstdint>
#include <string>

#include "core/common/OutputStream.h"
#include "core/grid/ShiftLattice.h"

class CGtxWriter {
 public:
  static constexpr std::size_t kHeaderSize = 40;

  // Creates (or replaces) the file.
  bool Open(const std::string& path) { return m_out.Open(path); }
  void WriteHeader(const CShiftLattice::Geometry& geometry);
  // One row of `count` values, south to north.
  void WriteRow(const float* values, std::int32_t count);
  // False when any write or the close failed.
  bool Close() { return m_out.Close(); }

 private:
  COutputStream m_out;
};
