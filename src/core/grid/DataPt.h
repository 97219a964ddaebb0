#pragma once
// One lattice node or interpolated position: the codes of the fourteen surfaces, in
// surface order (0 LAT, 1 MLLW, 2 MLWS, 3 MLW, 4 MHLW, 5 MLWN, 6 AHD, 7 MSL, 8 MLHW,
// 9 MHWN, 10 MHW, 11 MHHW, 12 MHWS, 13 HAT). Each is a height above the GDA94
// ellipsoid in metres, coded as value = code / s_scale + s_offset.

#include <array>
#include <cstddef>
#include <cstdint>

class CDataPt {
 public:
  static constexpr int kSurfaceCount = 14;
  // The (GDA94) ellipsoid as a surface index: every height is measured from it, so it
  // has no code and lies at height 0 everywhere.
  static constexpr int kEllipsoid = -1;
  // The GDA2020 ellipsoid as a surface index: it has no code; its height above the GDA94
  // ellipsoid depends on the position alone (CGda2020Helmert, core/trans).
  static constexpr int kEllipsoidGda2020 = -3;

  // Class-wide coding values, set by the grid reader from the file header and by the
  // grid generator before it creates data points.
  static float s_offset;  // metres
  static float s_scale;   // codes per metre

  CDataPt() = default;  // every code 0
  // Encodes each value with the current coding values (see Encode).
  explicit CDataPt(const std::array<double, kSurfaceCount>& values);

  // The decoded value of surface k (0..13), in metres: code / s_scale + s_offset
  // computed in double, rounded to float.
  float GetValue(int k) const { return Decode(m_codes[static_cast<std::size_t>(k)], s_offset, s_scale); }
  // A code decoded under given coding values, exactly as GetValue decodes.
  static float Decode(std::uint16_t code, float offset, float scale);

  // (v - s_offset) * s_scale in float, plus 0.5 in double, truncated toward zero and
  // clamped to 0..65535 (a value a hair below the offset must not wrap around).
  static std::uint16_t Encode(double value) { return Encode(static_cast<float>(value), s_offset, s_scale); }
  // Encode for all fourteen surfaces at once (the compiler vectorises it).
  static std::array<std::uint16_t, kSurfaceCount> EncodeAll(const std::array<float, kSurfaceCount>& values) {
    return EncodeAll(values, s_offset, s_scale);
  }
  // Encode and EncodeAll under given coding values (a grid that keeps its own).
  static std::array<std::uint16_t, kSurfaceCount> EncodeAll(const std::array<float, kSurfaceCount>& values,
                                                            float offset, float scale) {
    std::array<std::uint16_t, kSurfaceCount> codes;
    for (int k = 0; k < kSurfaceCount; ++k) codes[k] = Encode(values[k], offset, scale);
    return codes;
  }

  static std::uint16_t Encode(float value, float offset, float scale) {
    const float scaled = (value - offset) * scale;
    // Clamp rather than wrap: an interpolated value a hair below the offset (slightly
    // negative weights of a fallback cell) must give code 0, not one near 65535; NaN
    // gives 0 too. In range, the integer conversion truncates toward zero. Written
    // without branches so that loops over the surfaces vectorise.
    double shifted = static_cast<double>(scaled) + 0.5;
    shifted = shifted > 0.0 ? shifted : 0.0;
    shifted = shifted < 65535.0 ? shifted : 65535.0;
    return static_cast<std::uint16_t>(static_cast<std::int32_t>(shifted));
  }

  std::array<std::uint16_t, kSurfaceCount> m_codes{};
};
