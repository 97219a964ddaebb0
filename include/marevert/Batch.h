#pragma once
// The survey file batch of the programs: each file (xyz text, ESRI ASCII grid, LAS and
// LAZ, HTF) gets its transformed and excluded copies beside it, in its own format, Log.txt
// is written into the folder of the last file, and the processing summary is returned.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "marevert/Error.h"
#include "marevert/Grid.h"

namespace marevert {

struct CBatchOptions {
  // The references by name; both unused (may be empty) with a block shift.
  std::string from, to;
  // Instead of references: add this many metres to every value; no grid needed.
  std::optional<double> blockShift;
  int zone = 56;  // MGA zone (49 to 56) of files in eastings and northings
  Sign sign = Sign::HeightsPositive;
  // Called on the calling thread with each new percentage of the batch (each file an
  // equal share): rising, at least at every file's start and end, 100 at the end of a
  // batch that was not cancelled.
  std::function<void(unsigned percent)> progress;
  // Asked on the calling thread about every 50 ms; true cancels the batch as the
  // programs' Cancel button does (the file in hand stops, Log.txt is still written).
  std::function<bool()> cancel;
};

// What became of one file.
struct CFileResult {
  std::string path;     // absolute
  std::string format;   // the handler's format name; "" when no handler took the file
  bool ok = false;      // transformed without error (points may have been outside)
  std::string message;  // the summary's reason when not ok
  std::uint64_t transformed = 0, outside = 0;
};

struct CBatchResult {
  std::vector<CFileResult> files;    // the files reached, in order
  std::vector<std::string> summary;  // the "Processing summary" lines, as the programs show them
  std::string logPath;               // where Log.txt was (or would have been) written
  int filesOk = 0, filesWithErrors = 0;
  bool cancelled = false;
};

// Runs the batch on a worker thread and returns when it has ended. One batch runs at
// a time in a process (another call waits). Throws CError for unknown references or
// a zone out of range, before any file is touched; an exception thrown by a callback
// cancels the batch and is thrown again once it has ended.
CBatchResult TransformFiles(const std::vector<std::string>& paths, const CGrid* grid, const CBatchOptions& options);

}  // namespace marevert
