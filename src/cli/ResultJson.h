#pragma once
// The result file of a transform run (--result-json) and its reading back (summarize):
// what a batch report needs of every file, and the figures a script wants.
//
//   {
//     "format": "marevert transform result", "version": 1,
//     "from": "LAT", "to": "AHD", "block_shift": null, "grid": "/grids/x.MRGGrid", "sign": 1,
//     "files": [every input path of the run, in order],
//     "interrupted": false,
//     "results": [one per file the run reached, in the same order:
//       {"path": ..., "format": "Generic text", "result": 0, "message": "", "notes": [],
//        "transformed": 120, "outside": 3,
//        "separation": {"min": -1.52, "max": -1.48, "mean": -1.5} (null: none carried over),
//        "seconds": 0.0123}]
//   }
//
// "block_shift" is the shift in metres of a run with --block-shift (then "from" is "NULL"
// and "to" "Block Shift"). "result" is the handler's result code (0 done, 1 to 5 the errors of the summary's
// table), or -1 for a file no handler took ("message" then says why). Separations are
// in metres, what was added to the values in the run's sign convention (+1 heights
// positive, -1 depths positive). Numbers are JSON numbers, written the same in every
// locale.

#include <optional>
#include <string>
#include <vector>

#include "core/batch/FileOutcome.h"

struct CTransformResult {
  std::string from, to;  // reference display names ("NULL" and "Block Shift" for a shift)
  std::optional<double> blockShift;
  std::string grid;  // the grid file's path; "" without one
  int sign = 1;      // +1 heights positive, -1 depths positive
  std::vector<std::string> files;
  bool interrupted = false;
  std::vector<CFileOutcome> outcomes;  // separation and seconds are not read back
};

// Writes `result` to `path` under a temporary name first, so that a reader never sees
// half a file. False, with the reason in `error`, when it cannot be written (also when a
// path is not UTF-8 text, which JSON cannot hold).
bool WriteResultJson(const std::string& path, const CTransformResult& result, std::string& error);

// Reads a result file, checking its layout (each result's path must be the next file of
// the run). False, with the reason in `error`, when it is not one.
bool ReadResultJson(const std::string& path, CTransformResult& result, std::string& error);
