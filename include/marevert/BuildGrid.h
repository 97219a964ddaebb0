#pragma once
// Grid generation: a binary grid file from a text grid file (one line per lattice
// node: latitude, longitude and the fourteen surface heights LAT ... HAT above the
// ellipsoid, in metres).

#include <string>
#include <vector>

#include "marevert/Error.h"

namespace marevert {

struct CBuildGridOptions {
  int day = 0, month = 0, year = 0;  // the issue date; all 0: today (local time)
  int majorVersion = 0, minorVersion = 0;
  double gridSizeSeconds = 60.0;  // lattice spacing, seconds of arc
};

// Writes `output` from `input` and returns the "Grid summary" lines. Throws CError with
// the programs' messages when a setting is out of range or no grid file was written.
std::vector<std::string> BuildGrid(const std::string& input, const std::string& output,
                                   const CBuildGridOptions& options = {});

}  // namespace marevert
