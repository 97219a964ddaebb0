#pragma once
// The RGB14 item (red, green, blue: three 16-bit values, point format 7) and the RGBNIR14 item
// (the same and near infrared, point format 8), version 3, of a layered chunk: one layer for
// the colour and, with NIR, one for the infrared. Each byte of a value is coded as its
// difference from the last value of the item's context (the green and blue differences
// predicted from red's); a layer in which nothing changed is stored empty.
//
// Bit-exact with LASzip's RGB14_v3 / RGBNIR14_v3 item coders (and laz-perf's field_rgb14 and
// field_nir14). Like them, on a switch to a context the chunk has used before, the point is
// coded against the last value of the context it comes from (and that value is replaced); the
// switched-to context's own last value is used from the following point on.

#include <cstdint>
#include <span>
#include <vector>

#include "core/laz/LazArithmeticCoder.h"
#include "core/laz/LazItems14Support.h"

// What one context keeps: its last value and its models.
class CLazRgb14Context {
 public:
  CLazRgb14Context();
  void Start(const std::uint16_t* last);  // used from now on in this chunk, last value `last`

  bool m_used = false;
  std::uint16_t m_last[4] = {};  // red, green, blue, NIR
  CLazSymbolModel m_rgbChanged;  // which bytes changed, and whether green and blue differ from red
  CLazSymbolModel m_rgbDiff[6];  // red low, red high, green low, green high, blue low, blue high
  CLazSymbolModel m_nirChanged;
  CLazSymbolModel m_nirDiff[2];
};

class CLazRgb14Decoder {
 public:
  explicit CLazRgb14Decoder(bool nir) : m_nir(nir) {}
  std::size_t LayerCount() const { return m_nir ? 2 : 1; }
  std::size_t Size() const { return m_nir ? 8 : 6; }

  void Start(const std::uint8_t* first, const CLazLayerBytes* layers, std::uint32_t context);
  void Decode(std::uint8_t* item, std::uint32_t context);
  bool Overran() const;

 private:
  bool m_nir;
  CLazRgb14Context m_contexts[4];
  std::uint32_t m_current = 0;
  CLazArithmeticDecoder m_rgbLayer, m_nirLayer;
  bool m_rgbPresent = false, m_nirPresent = false;
};

class CLazRgb14Encoder {
 public:
  explicit CLazRgb14Encoder(bool nir) : m_nir(nir) {}
  std::size_t LayerCount() const { return m_nir ? 2 : 1; }
  std::size_t Size() const { return m_nir ? 8 : 6; }

  void Start(const std::uint8_t* first, std::uint32_t context);
  void Encode(const std::uint8_t* item, std::uint32_t context);
  void Finish();
  std::span<const std::uint8_t> Layer(std::size_t i) const;

 private:
  bool m_nir;
  CLazRgb14Context m_contexts[4];
  std::uint32_t m_current = 0;
  CLazArithmeticEncoder m_rgbLayer, m_nirLayer;
  std::vector<std::uint8_t> m_rgbBytes, m_nirBytes;
  bool m_rgbChanged = false, m_nirChanged = false;
};
