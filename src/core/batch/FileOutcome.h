#pragma once
// What became of one file of a batch: everything its lines in the "Processing summary"
// and the batch log are made of, and the figures a machine-readable result gives.

#include <cstdint>
#include <string>
#include <vector>

#include "core/files/SeparationStats.h"

struct CFileOutcome {
  // The result of a file no handler took (it could not be opened or recognised).
  static constexpr int kNoHandler = -1;

  std::string path;
  std::string format;       // the handler's format name; "" when no handler took the file
  int result = kNoHandler;  // kFileDone, a handler's error code, or kNoHandler
  std::string message;      // "" for kFileDone, else the text the summary gives the result
  std::uint64_t transformed = 0, outside = 0;
  std::vector<std::string> notes;  // the handler's own lines
  CSeparationStats separation;     // what the values carried over were given
  double seconds = 0;              // wall time from opening the file to its settled outputs
};
