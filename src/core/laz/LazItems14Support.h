#pragma once
// Small pieces shared by the LAS 1.4 item codecs (POINT14, RGB14, RGBNIR14, BYTE14, version
// 3): the byte arithmetic of LASzip's item coders and a set of symbol models reset lazily,
// chunk by chunk. Bit-exact with LASzip's lasreaditemcompressed_v3 / laswriteitemcompressed_v3 and laz-perf's
// field_*14.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/laz/LazArithmeticCoder.h"
#include "core/laz/LazPrediction.h"

// One layer of a chunk as stored: its bytes within the chunk (none when the layer is empty).
struct CLazLayerBytes {
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
};

// The low byte of a difference or a sum: the 8-bit wrap-around LASzip's coders use.
inline std::uint8_t LazFoldByte(std::int32_t value) { return static_cast<std::uint8_t>(value & 0xFF); }

// A byte prediction held to 0..255.
inline std::int32_t LazClampByte(std::int32_t value) { return value < 0 ? 0 : (value > 255 ? 255 : value); }

// A row of symbol models of which a chunk uses only a few (one per classification, per user
// data quarter, ...): each is reset when first used after the owner starts a new era (a new
// chunk or channel), so a chunk pays only for the models it touches. Created once.
class CLazLazyModels {
 public:
  CLazLazyModels(std::size_t count, std::uint32_t symbols) : m_stamps(count, 0) {
    m_models.reserve(count);
    for (std::size_t i = 0; i < count; ++i) m_models.emplace_back(symbols);
  }
  // The model `index` (less than the count), fresh if not yet used in era `era`.
  CLazSymbolModel& Get(std::size_t index, std::uint32_t era) {
    if (m_stamps[index] != era) {
      m_stamps[index] = era;
      m_models[index].Reset();
    }
    return m_models[index];
  }

 private:
  std::vector<CLazSymbolModel> m_models;
  std::vector<std::uint32_t> m_stamps;  // the era each model was last reset in (0: never)
};
