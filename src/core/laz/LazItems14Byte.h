#pragma once
// The BYTE14 item (version 3): a LAS 1.4 record's extra bytes, each byte in a layer of its
// own, coded as its difference from the last value of the item's context; a byte's layer in
// which no point changed it is stored empty. Bit-exact with LASzip's BYTE14_v3 item coder (and
// laz-perf's field_byte14), including the context switching of the colour items (see
// LazItems14Rgb.h).

#include <cstdint>
#include <span>
#include <vector>

#include "core/laz/LazArithmeticCoder.h"
#include "core/laz/LazItems14Support.h"

// Extra bytes beyond this many are refused: each costs a model per channel in every decoder.
constexpr std::size_t kLazMaxExtraBytes14 = 4096;

// What one context keeps: its last bytes and a model per byte.
class CLazByte14Context {
 public:
  explicit CLazByte14Context(std::size_t count);
  void Start(const std::uint8_t* last);

  bool m_used = false;
  std::vector<std::uint8_t> m_last;
  std::vector<CLazSymbolModel> m_models;
};

class CLazByte14Decoder {
 public:
  // Throws CLazError when `count` is 0 or above kLazMaxExtraBytes14.
  explicit CLazByte14Decoder(std::size_t count);
  std::size_t LayerCount() const { return m_count; }
  std::size_t Size() const { return m_count; }

  void Start(const std::uint8_t* first, const CLazLayerBytes* layers, std::uint32_t context);
  void Decode(std::uint8_t* item, std::uint32_t context);
  bool Overran() const;

 private:
  std::size_t m_count;
  std::vector<CLazByte14Context> m_contexts;  // four
  std::uint32_t m_current = 0;
  std::vector<CLazArithmeticDecoder> m_layers;
  std::vector<std::uint8_t> m_present;
};

class CLazByte14Encoder {
 public:
  explicit CLazByte14Encoder(std::size_t count);
  std::size_t LayerCount() const { return m_count; }
  std::size_t Size() const { return m_count; }

  void Start(const std::uint8_t* first, std::uint32_t context);
  void Encode(const std::uint8_t* item, std::uint32_t context);
  void Finish();
  std::span<const std::uint8_t> Layer(std::size_t i) const;

 private:
  std::size_t m_count;
  std::vector<CLazByte14Context> m_contexts;
  std::uint32_t m_current = 0;
  std::vector<CLazArithmeticEncoder> m_layers;
  std::vector<std::vector<std::uint8_t>> m_bytes;
  std::vector<std::uint8_t> m_changed;
};
