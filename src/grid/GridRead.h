#pragma once
// The job that reads a binary grid file (.MRGGrid) into a grid model on the worker
// thread. CGridInt::LoadFile runs it under the progress window; it shows its failures
// through the installed messenger and never looks at the cancel flag.
//
// Layout (little-endian, no padding): an 83-byte header
//   "MRG", i32 format code (1), i32 reserved, i32 major and minor version,
//   i32 year, month, day, f64 grid size, minimum and maximum latitude, minimum and
//   maximum longitude (decimal degrees), f32 value offset, f32 value scale,
//   i32 row count N;
// then N row blocks, row 0 first: i32 point count, then that many 32-byte records of
// i32 column and 14 u16 surface codes.

#include <string>

#include "process/ProcessBase.h"

class CGridInt;

class CGridRead : public CProcessBase {
 public:
  // The file's coding values become the class-wide ones (CDataPt::s_offset, s_scale),
  // as the programs expect; with `ownCoding` they become the model's own instead and
  // the class-wide values are left alone (a library caller with several grids).
  CGridRead(CGridInt& grid, std::string path, bool ownCoding = false);
  void Run() override;

 private:
  CGridInt& m_grid;
  std::string m_path;
  bool m_ownCoding;
};
