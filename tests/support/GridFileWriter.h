#pragma once
// Builds binary grid files (.MRGGrid) byte by byte, independently of the reader, so
// tests can write valid, damaged and hostile files. Little-endian throughout.

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "support/TestSupport.h"

struct CTestGridFile {
  struct Point {
    std::int32_t column;
    std::array<std::uint16_t, 14> codes;
  };

  std::string magic = "MRG";
  std::int32_t format = 1, reserved = 0;
  std::int32_t major = 3, minor = 7, year = 2096, month = 2, day = 29;  // future: no age notice
  double gridSize = 1.0 / 60, minLat = -12.5, maxLat = -12.5 + 1.0 / 60, minLon = 130.25, maxLon = 130.25 + 1.0 / 60;
  float offset = -50.0f, scale = 100.0f;
  std::vector<std::vector<Point>> rows;

  // Codes that differ per surface, column and a seed, so mix-ups show.
  static std::array<std::uint16_t, 14> Codes(int seed) {
    std::array<std::uint16_t, 14> codes;
    for (int k = 0; k < 14; ++k) codes[k] = static_cast<std::uint16_t>(1000 + 97 * seed + 13 * k);
    return codes;
  }

  // The default header over one cell, its four nodes holding Codes(1) to Codes(4).
  static CTestGridFile OneCell() {
    CTestGridFile file;
    file.rows = {{{0, Codes(1)}, {1, Codes(2)}}, {{0, Codes(3)}, {1, Codes(4)}}};
    return file;
  }

  std::string Bytes() const {
    std::string out = magic;
    Put(out, format);
    Put(out, reserved);
    for (std::int32_t v : {major, minor, year, month, day}) Put(out, v);
    for (double v : {gridSize, minLat, maxLat, minLon, maxLon}) Put(out, v);
    Put(out, offset);
    Put(out, scale);
    Put(out, static_cast<std::int32_t>(rows.size()));
    for (const auto& row : rows) {
      Put(out, static_cast<std::int32_t>(row.size()));
      for (const Point& p : row) {
        Put(out, p.column);
        for (std::uint16_t c : p.codes) Put(out, c);
      }
    }
    return out;
  }

  // Overwrites a 32-bit integer at a byte offset (damaged counts).
  static void PatchInt(std::string& bytes, std::size_t offset, std::int32_t value) {
    std::string field;
    Put(field, value);
    bytes.replace(offset, 4, field);
  }

  template <typename T>
  static void Put(std::string& out, T value) {
    unsigned char b[sizeof(T)];
    std::memcpy(b, &value, sizeof(T));
    if constexpr (std::endian::native == std::endian::big) std::reverse(b, b + sizeof(T));
    out.append(reinterpret_cast<const char*>(b), sizeof(T));
  }
};

// Writes the one-cell grid to `path`, with a major version that tells files apart.
inline void WriteOneCellGrid(const std::string& path, int major = 3) {
  CTestGridFile file = CTestGridFile::OneCell();
  file.major = major;
  WriteFileBytes(path, file.Bytes());
}
