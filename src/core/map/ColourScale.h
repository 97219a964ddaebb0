#pragma once
// The colour scale of the separation layer: viridis, from dark purple at the low end
// through blue and green to yellow at the high end. Its lightness rises evenly along the
// scale, so equal steps of separation look like equal steps of colour, it reads in grey
// and by most colour-blind viewers. Held as ten stops spaced evenly along the scale and
// interpolated linearly between them.

#include <array>
#include <cstdint>

struct CRgb {
  std::uint8_t r, g, b;
};

class CColourScale {
 public:
  static constexpr int kSteps = 256;

  // The colour at fraction t of the scale (0 the low end, 1 the high end); t is held to
  // 0..1 and NaN gives the low end.
  static CRgb At(double t);
  // The scale in kSteps colours, the low end first.
  static const std::array<CRgb, kSteps>& Table();
};
