#pragma once
// One item of the LASzip record: a part of each point record (the LAS 1.0 point, GPS time,
// colour, the LAS 1.4 point, extra bytes, ...) with its size in bytes and the version of the
// coder that compresses it.

#include <cstdint>

struct CLazItem {
  std::uint16_t type = 0, size = 0, version = 0;
};

// The item types.
inline constexpr std::uint16_t kLazItemByte = 0;
inline constexpr std::uint16_t kLazItemShort = 1;
inline constexpr std::uint16_t kLazItemInt = 2;
inline constexpr std::uint16_t kLazItemLong = 3;
inline constexpr std::uint16_t kLazItemFloat = 4;
inline constexpr std::uint16_t kLazItemDouble = 5;
inline constexpr std::uint16_t kLazItemPoint10 = 6;
inline constexpr std::uint16_t kLazItemGpsTime11 = 7;
inline constexpr std::uint16_t kLazItemRgb12 = 8;
inline constexpr std::uint16_t kLazItemWavePacket13 = 9;
inline constexpr std::uint16_t kLazItemPoint14 = 10;
inline constexpr std::uint16_t kLazItemRgb14 = 11;
inline constexpr std::uint16_t kLazItemRgbNir14 = 12;
inline constexpr std::uint16_t kLazItemWavePacket14 = 13;
inline constexpr std::uint16_t kLazItemByte14 = 14;
