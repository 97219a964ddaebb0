#pragma once
// One item of a LAZ point record as the LASzip record lists it: what part of the record
// it is (type), its bytes, and the version of its coder. A record is its items' bytes
// one after the other, in the listed order.

#include <cstdint>

struct CLazItem {
  // The item types LASzip numbers.
  static constexpr std::uint16_t kByte = 0;  // extra bytes, LAS 1.0 to 1.3 point formats
  static constexpr std::uint16_t kShort = 1;
  static constexpr std::uint16_t kInt = 2;
  static constexpr std::uint16_t kLong = 3;
  static constexpr std::uint16_t kFloat = 4;
  static constexpr std::uint16_t kDouble = 5;
  static constexpr std::uint16_t kPoint10 = 6;    // the 20 bytes every format 0 to 5 record starts with
  static constexpr std::uint16_t kGpsTime11 = 7;  // GPS time, 8 bytes
  static constexpr std::uint16_t kRgb12 = 8;      // red, green, blue, 6 bytes
  static constexpr std::uint16_t kWavePacket13 = 9;
  static constexpr std::uint16_t kPoint14 = 10;  // the 30 bytes every format 6 to 10 record starts with
  static constexpr std::uint16_t kRgb14 = 11;
  static constexpr std::uint16_t kRgbNir14 = 12;
  static constexpr std::uint16_t kWavePacket14 = 13;
  static constexpr std::uint16_t kByte14 = 14;  // extra bytes, LAS 1.4 point formats

  std::uint16_t type = 0;
  std::uint16_t size = 0;
  std::uint16_t version = 0;

  bool operator==(const CLazItem&) const = default;
};
