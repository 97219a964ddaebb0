#include "core/map/ColourScale.h"

#include <algorithm>
#include <cmath>

namespace {

// viridis at fractions 0, 1/9, ..., 1 of the scale.
constexpr CRgb kStops[] = {{68, 1, 84},    {72, 40, 120},  {62, 74, 137},  {49, 104, 142}, {38, 130, 142},
                           {31, 158, 137}, {53, 183, 121}, {109, 205, 89}, {180, 222, 44}, {253, 231, 37}};
constexpr int kStopCount = sizeof kStops / sizeof kStops[0];

std::uint8_t Mix(std::uint8_t a, std::uint8_t b, double f) {
  return static_cast<std::uint8_t>(std::lround(a + (b - a) * f));
}

std::array<CRgb, CColourScale::kSteps> MakeTable() {
  std::array<CRgb, CColourScale::kSteps> table{};
  for (int i = 0; i < CColourScale::kSteps; ++i) {
    const double at = static_cast<double>(i) * (kStopCount - 1) / (CColourScale::kSteps - 1);
    const int stop = std::min(static_cast<int>(at), kStopCount - 2);
    const double f = at - stop;
    const CRgb& a = kStops[stop];
    const CRgb& b = kStops[stop + 1];
    table[static_cast<std::size_t>(i)] = {Mix(a.r, b.r, f), Mix(a.g, b.g, f), Mix(a.b, b.b, f)};
  }
  return table;
}

}  // namespace

const std::array<CRgb, CColourScale::kSteps>& CColourScale::Table() {
  static const std::array<CRgb, kSteps> table = MakeTable();
  return table;
}

CRgb CColourScale::At(double t) {
  if (!(t > 0)) return Table().front();
  if (t >= 1) return Table().back();
  return Table()[static_cast<std::size_t>(t * (kSteps - 1) + 0.5)];
}
