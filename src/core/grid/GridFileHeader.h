#pragma once
// The binary grid file (.MRGGrid), described once for the reader (CGridRead) and the
// writer (CGridWriter). Layout (little-endian, no padding): an 83-byte header
//   "MRG", i32 format code (1), i32 reserved, i32 major and minor version,
//   i32 year, month, day, f64 grid size, minimum and maximum latitude, minimum and
//   maximum longitude (decimal degrees), f32 value offset, f32 value scale,
//   i32 row count N;
// then N row blocks, row 0 first: i32 point count, then that many 32-byte records of
// i32 column and 14 u16 surface codes (the order of CDataPt).

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "core/common/ByteOrder.h"

struct CGridFileHeader {
  static constexpr char kMagic[3] = {'M', 'R', 'G'};
  static constexpr std::int32_t kCurrentFormat = 1;
  static constexpr std::int32_t kRetiredFormat = 0;  // an older layout, refused with its own message
  static constexpr std::size_t kPrefixSize = 11;     // magic, format code, reserved: enough to tell the format
  static constexpr std::size_t kSize = 83;
  static constexpr std::size_t kPointCountSize = 4;  // a row block's i32 point count
  static constexpr std::size_t kRecordSize = 32;     // i32 column, 14 u16 codes
  static constexpr std::size_t kCodesAt = 4;         // where a record's codes start
  static constexpr int kCodeCount = 14;

  std::int32_t format = kCurrentFormat, reserved = 0;
  std::int32_t majorVersion = 0, minorVersion = 0;
  std::int32_t year = 0, month = 0, day = 0;
  double gridSize = 0;  // decimal degrees
  double minLat = 0, maxLat = 0, minLon = 0, maxLon = 0;
  float valueOffset = 0, valueScale = 0;
  std::int32_t rowCount = 0;

  // Whether the first kPrefixSize bytes of a file begin with the magic, and the format
  // code they hold.
  static bool HasMagic(const char* prefix) { return std::memcmp(prefix, kMagic, sizeof kMagic) == 0; }
  static std::int32_t FormatOf(const char* prefix) { return ReadLittleEndian<std::int32_t>(prefix + sizeof kMagic); }

  // The header held in the first kSize bytes of a file (the magic is not checked).
  static CGridFileHeader Read(const char* bytes) {
    CGridFileHeader header;
    bytes += sizeof kMagic;
    Fields(header, [&bytes](auto& field) {
      field = ReadLittleEndian<std::remove_reference_t<decltype(field)>>(bytes);
      bytes += sizeof field;
    });
    return header;
  }
  // Writes the header as the first kSize bytes of a file.
  void Write(char* bytes) const {
    std::memcpy(bytes, kMagic, sizeof kMagic);
    bytes += sizeof kMagic;
    Fields(*this, [&bytes](const auto& field) {
      WriteLittleEndian(bytes, field);
      bytes += sizeof field;
    });
  }

  // One point record.
  static void WriteRecord(char* bytes, std::int32_t column, const std::array<std::uint16_t, kCodeCount>& codes) {
    WriteLittleEndian(bytes, column);
    for (int k = 0; k < kCodeCount; ++k) WriteLittleEndian(bytes + kCodesAt + 2 * k, codes[k]);
  }

  // Every field after the magic, in file order: the one list that reading and writing
  // both follow.
  template <typename Header, typename Visit>
  static constexpr void Fields(Header& h, Visit visit) {
    for (auto* field : {&h.format, &h.reserved, &h.majorVersion, &h.minorVersion, &h.year, &h.month, &h.day})
      visit(*field);
    for (auto* field : {&h.gridSize, &h.minLat, &h.maxLat, &h.minLon, &h.maxLon}) visit(*field);
    visit(h.valueOffset);
    visit(h.valueScale);
    visit(h.rowCount);
  }
  static constexpr std::size_t FieldBytes() {
    std::size_t bytes = 0;
    CGridFileHeader header;
    Fields(header, [&bytes](const auto& field) { bytes += sizeof field; });
    return bytes;
  }
};

static_assert(sizeof CGridFileHeader::kMagic + CGridFileHeader::FieldBytes() == CGridFileHeader::kSize);
