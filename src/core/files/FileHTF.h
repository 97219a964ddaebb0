#pragma once
// Hydrographic Transfer Format sounding files: a header of keyword lines, a field mask
// line "[...]" telling which record fields are present, then one sounding per line with
// blank-separated fields and the depth after them. Comment records (";") and the data
// end line go to both outputs; the header's sounding totals are corrected in place in
// each output afterwards.

#include "core/files/FileBase.h"

class CFileHTF : public CFileBase {
 public:
  bool CanRead(const std::string& path) override;
  std::string GetFormatName() const override { return "HTF"; }

  // Rewrites the "TOTAL SOUNDINGS:" line with `total` and the following "TOTAL VALID
  // SOUNDINGS:" line with total - invalid, each padded with blanks to exactly the
  // bytes of the old line (a number that does not fit leaves its line unchanged).
  // False when the file cannot be opened or written, or has no totals line.
  static bool UpdateTotals(const std::string& path, std::uint64_t total, std::uint64_t invalid);

 protected:
  FileResult Run(Streams& files, const Task& task) override;
  // Closes the files and corrects each output's totals, unless Run stopped at a record
  // with too few fields.
  FileResult Settle(FileResult result, Streams& files, const Task& task) override;

 private:
  // What Run sent to the excluded file: all its records, and those marked invalid.
  std::uint64_t m_excludedRecords = 0, m_invalidRecords = 0;
};
