#pragma once
// The POINT10 item, version 2: the first 20 bytes of a point record of formats 0 to 5
// (X, Y, Z, intensity, the return/flags byte, classification, scan angle rank, user data,
// point source ID), coded against the previous point as LASzip 2 and later code it
// (lasreaditemcompressed_v2.cpp, laswriteitemcompressed_v2.cpp; bit-exact with them and
// with laz-perf):
//   - a 6-bit mask of which of the other fields changed;
//   - the flags byte, classification and user data by a model chosen by their previous
//     value; the scan angle as a byte difference, by scan direction;
//   - intensity against the last intensity of the same return context m;
//   - X and Y differences against the median of the last five differences of context m,
//     Y's model context chosen by the size of X's correction; Z against the last Z of
//     return level l, its context chosen by X's and Y's corrections.
// The return context m and level l come from the return number r and number of returns
// n by two 8 x 8 tables that also give sensible contexts to badly numbered returns.
// The same object decodes or encodes; Init starts a chunk from its first record.

#include <array>
#include <cstdint>
#include <memory>

#include "core/laz/LazArithmeticCoder.h"
#include "core/laz/LazIntegerCompressor.h"
#include "core/laz/LazPrediction.h"

class CLazPoint10Coder {
 public:
  static constexpr std::size_t kSize = 20;

  CLazPoint10Coder();
  // Starts a chunk whose first record (sent raw) holds this item at `first`.
  void Init(const std::uint8_t* first);
  void Decode(CLazArithmeticDecoder& decoder, std::uint8_t* item);
  void Encode(CLazArithmeticEncoder& encoder, const std::uint8_t* item);

 private:
  // The fields of the previous point.
  struct CLast {
    std::int32_t x, y, z;
    std::uint8_t flags, classification, scanAngle, userData;
    std::uint16_t pointSource;
  };

  // Models of a byte, one per previous value: each made when first needed, and reset
  // when first used in a chunk (as if reset at its start, without paying for those a
  // chunk never uses).
  struct CByValue {
    std::array<std::unique_ptr<CLazSymbolModel>, 256> models;
    std::array<std::uint32_t, 256> chunk{};  // the chunk each was last reset for
  };
  CLazSymbolModel& ByValue(CByValue& group, std::uint8_t previous);
  void Write(std::uint8_t* item, std::uint16_t intensity) const;

  CLast m_last{};
  std::array<std::uint16_t, 16> m_lastIntensity{};
  std::array<std::int32_t, 8> m_lastHeight{};
  std::array<CLazMedianOfFive, 16> m_xDiffs;
  std::array<CLazMedianOfFive, 16> m_yDiffs;

  CLazSymbolModel m_changed{64};
  CLazIntegerCompressor m_intensity{16, 4};
  std::array<CLazSymbolModel, 2> m_scanAngle{CLazSymbolModel(256), CLazSymbolModel(256)};
  CLazIntegerCompressor m_pointSource{16};
  std::uint32_t m_chunk = 0;  // numbers the chunks begun, from 1
  CByValue m_flagsModels;
  CByValue m_classModels;
  CByValue m_userDataModels;
  CLazIntegerCompressor m_dx{32, 2};
  CLazIntegerCompressor m_dy{32, 22};
  CLazIntegerCompressor m_z{32, 20};
};
