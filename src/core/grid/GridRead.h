#pragma once
// The job that reads a binary grid file (.MRGGrid) into a grid model on the worker
// thread. CGridInt::LoadFile runs it under the progress window; it shows its failures
// through the installed messenger and never looks at the cancel flag. The file's
// layout is described in GridFileHeader.h.

#include <string>

#include "core/jobs/ProcessBase.h"

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
