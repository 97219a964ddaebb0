#pragma once
// Arrays of heights or depths carried between vertical references.

#include <cstddef>
#include <string>

#include "marevert/Error.h"
#include "marevert/Grid.h"

namespace marevert {

struct CTransformOptions {
  Sign sign = Sign::HeightsPositive;
  // 0: x is the longitude and y the latitude (decimal degrees). 49 to 56: x is the
  // easting and y the northing (metres) in that MGA zone of GDA94.
  int zone = 0;
};

// Carries `count` values z from reference `from` to reference `to` at positions (x, y),
// exactly as the programs carry one record of a survey file: the same interpolation
// and coding of the surfaces, the same arithmetic. zOut[i] gets the carried value
// (not rounded; the programs write it with two decimals) and inside[i] tells whether
// the grid answered; where it did not (outside the grid, a non-finite input, or, in
// latitude/longitude mode, a position with both coordinates above 200 in magnitude,
// which the programs would read as map-grid) zOut[i] is NaN. zOut may be z. Returns
// how many values were carried. Throws CError for an unknown reference or zone.
// Several threads may call it at once, with one grid or several.
std::size_t Transform(const CGrid& grid, const std::string& from, const std::string& to, std::size_t count,
                      const double* x, const double* y, const double* z, double* zOut, bool* inside,
                      const CTransformOptions& options = {});

// Block shift without a grid: every finite value changes by `metres` (heights rise,
// depths become shallower by it); a non-finite value gives NaN. zOut may be z.
void BlockShift(double metres, std::size_t count, const double* z, double* zOut, Sign sign = Sign::HeightsPositive);

}  // namespace marevert
