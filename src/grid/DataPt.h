#pragma once
// One lattice node or interpolated position: the codes of the fourteen surfaces, in
// surface order (0 LAT, 1 MLLW, 2 MLWS, 3 MLW, 4 MHLW, 5 MLWN, 6 AHD, 7 MSL, 8 MLHW,
// 9 MHWN, 10 MHW, 11 MHHW, 12 MHWS, 13 HAT). Each is a height above the GDA94
// ellipsoid in metres, coded as value = code / s_scale + s_offset.

#include <array>
#include <cstdint>

class CDataPt {
 public:
  static constexpr int kSurfaceCount = 14;

  // Class-wide coding values, set by the grid reader from the file header and by the
  // grid generator before it creates data points.
  static float s_offset;  // metres
  static float s_scale;   // codes per metre

  CDataPt() = default;  // every code 0
  // Encodes each value with the current coding values (see Encode).
  explicit CDataPt(const std::array<double, kSurfaceCount>& values);

  // The decoded value of surface k (0..13), in metres: code / s_scale + s_offset
  // computed in double, rounded to float. Inline: interpolation decodes 56 codes a call.
  float GetValue(int k) const {
    return static_cast<float>(static_cast<double>(m_codes[k]) / static_cast<double>(s_scale) +
                              static_cast<double>(s_offset));
  }

  // (v - s_offset) * s_scale in float, plus 0.5 in double, truncated toward zero and
  // clamped to 0..65535 (a value a hair below the offset must not wrap around).
  static std::uint16_t Encode(double value);

  std::array<std::uint16_t, kSurfaceCount> m_codes{};
};
