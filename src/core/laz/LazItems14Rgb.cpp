#include "core/laz/LazItems14Rgb.h"

#include "core/common/ByteOrder.h"

namespace {

constexpr std::uint32_t kRgbChangedSymbols = 128;
constexpr std::uint32_t kNirChangedSymbols = 4;
constexpr std::uint32_t kByteSymbols = 256;

void ReadValues(const std::uint8_t* item, std::size_t count, std::uint16_t* values) {
  for (std::size_t i = 0; i < count; ++i) values[i] = ReadLittleEndian<std::uint16_t>(item + 2 * i);
}
void WriteValues(const std::uint16_t* values, std::size_t count, std::uint8_t* item) {
  for (std::size_t i = 0; i < count; ++i) WriteLittleEndian(item + 2 * i, values[i]);
}

inline std::int32_t Low(std::uint16_t v) { return v & 0xFF; }
inline std::int32_t High(std::uint16_t v) { return v >> 8; }
inline std::uint16_t FromBytes(std::int32_t low, std::int32_t high) {
  return static_cast<std::uint16_t>((low & 0xFF) | ((high & 0xFF) << 8));
}

// The "changed" symbol of a colour against the last: bits 0-5 for each byte that differs,
// bit 6 when green or blue differs from red (otherwise only red is coded).
std::uint32_t ColourChanges(const std::uint16_t* v, const std::uint16_t* last) {
  std::uint32_t sym = 0;
  for (int i = 0; i < 3; ++i) {
    sym |= (Low(v[i]) != Low(last[i]) ? 1u : 0u) << (2 * i);
    sym |= (High(v[i]) != High(last[i]) ? 1u : 0u) << (2 * i + 1);
  }
  if (v[1] != v[0] || v[2] != v[0]) sym |= 1u << 6;
  return sym;
}

}  // namespace

CLazRgb14Context::CLazRgb14Context()
    : m_rgbChanged(kRgbChangedSymbols),
      m_rgbDiff{CLazSymbolModel(kByteSymbols), CLazSymbolModel(kByteSymbols), CLazSymbolModel(kByteSymbols),
                CLazSymbolModel(kByteSymbols), CLazSymbolModel(kByteSymbols), CLazSymbolModel(kByteSymbols)},
      m_nirChanged(kNirChangedSymbols),
      m_nirDiff{CLazSymbolModel(kByteSymbols), CLazSymbolModel(kByteSymbols)} {}

void CLazRgb14Context::Start(const std::uint16_t* last) {
  m_used = true;
  for (int i = 0; i < 4; ++i) m_last[i] = last[i];
  m_rgbChanged.Reset();
  for (CLazSymbolModel& model : m_rgbDiff) model.Reset();
  m_nirChanged.Reset();
  for (CLazSymbolModel& model : m_nirDiff) model.Reset();
}

// ---- Decoder ------------------------------------------------------------------------------

void CLazRgb14Decoder::Start(const std::uint8_t* first, const CLazLayerBytes* layers, std::uint32_t context) {
  m_rgbPresent = layers[0].size > 0;
  if (m_rgbPresent) m_rgbLayer.Init(layers[0].data, layers[0].size);
  m_nirPresent = m_nir && layers[1].size > 0;
  if (m_nirPresent) m_nirLayer.Init(layers[1].data, layers[1].size);
  std::uint16_t values[4] = {};
  ReadValues(first, m_nir ? 4 : 3, values);
  for (CLazRgb14Context& c : m_contexts) c.m_used = false;
  m_current = context;
  m_contexts[context].Start(values);
}

bool CLazRgb14Decoder::Overran() const {
  return (m_rgbPresent && m_rgbLayer.Overran()) || (m_nirPresent && m_nirLayer.Overran());
}

void CLazRgb14Decoder::Decode(std::uint8_t* item, std::uint32_t context) {
  std::uint16_t* last = m_contexts[m_current].m_last;
  if (context != m_current) {
    m_current = context;
    if (!m_contexts[context].m_used) {
      m_contexts[context].Start(last);
      last = m_contexts[context].m_last;
    }
  }
  CLazRgb14Context& c = m_contexts[m_current];

  if (m_rgbPresent) {
    CLazArithmeticDecoder& d = m_rgbLayer;
    const std::uint32_t sym = d.DecodeSymbol(c.m_rgbChanged);
    std::uint16_t v[3];
    const std::int32_t redLow =
        sym & 1 ? static_cast<std::int32_t>(d.DecodeSymbol(c.m_rgbDiff[0])) + Low(last[0]) : Low(last[0]);
    const std::int32_t redHigh =
        sym & 2 ? static_cast<std::int32_t>(d.DecodeSymbol(c.m_rgbDiff[1])) + High(last[0]) : High(last[0]);
    v[0] = FromBytes(redLow, redHigh);
    if (sym & (1u << 6)) {
      // Green and blue predicted from red's change (blue from the mean of red's and green's).
      std::int32_t diff = Low(v[0]) - Low(last[0]);
      const std::int32_t greenLow =
          sym & 4 ? static_cast<std::int32_t>(d.DecodeSymbol(c.m_rgbDiff[2])) + LazClampByte(diff + Low(last[1]))
                  : Low(last[1]);
      std::int32_t blueLow = Low(last[2]);
      if (sym & 16) {
        diff = (diff + ((greenLow & 0xFF) - Low(last[1]))) / 2;
        blueLow = static_cast<std::int32_t>(d.DecodeSymbol(c.m_rgbDiff[4])) + LazClampByte(diff + Low(last[2]));
      }
      diff = High(v[0]) - High(last[0]);
      const std::int32_t greenHigh =
          sym & 8 ? static_cast<std::int32_t>(d.DecodeSymbol(c.m_rgbDiff[3])) + LazClampByte(diff + High(last[1]))
                  : High(last[1]);
      std::int32_t blueHigh = High(last[2]);
      if (sym & 32) {
        diff = (diff + ((greenHigh & 0xFF) - High(last[1]))) / 2;
        blueHigh = static_cast<std::int32_t>(d.DecodeSymbol(c.m_rgbDiff[5])) + LazClampByte(diff + High(last[2]));
      }
      v[1] = FromBytes(greenLow, greenHigh);
      v[2] = FromBytes(blueLow, blueHigh);
    } else {
      v[1] = v[2] = v[0];
    }
    for (int i = 0; i < 3; ++i) last[i] = v[i];
  }
  WriteValues(last, 3, item);

  if (m_nir) {
    if (m_nirPresent) {
      CLazArithmeticDecoder& d = m_nirLayer;
      const std::uint32_t sym = d.DecodeSymbol(c.m_nirChanged);
      const std::int32_t low =
          sym & 1 ? static_cast<std::int32_t>(d.DecodeSymbol(c.m_nirDiff[0])) + Low(last[3]) : Low(last[3]);
      const std::int32_t high =
          sym & 2 ? static_cast<std::int32_t>(d.DecodeSymbol(c.m_nirDiff[1])) + High(last[3]) : High(last[3]);
      last[3] = FromBytes(low, high);
    }
    WriteLittleEndian(item + 6, last[3]);
  }
}

// ---- Encoder ------------------------------------------------------------------------------

void CLazRgb14Encoder::Start(const std::uint8_t* first, std::uint32_t context) {
  m_rgbBytes.clear();
  m_rgbLayer.Init(m_rgbBytes);
  m_rgbChanged = false;
  if (m_nir) {
    m_nirBytes.clear();
    m_nirLayer.Init(m_nirBytes);
  }
  m_nirChanged = false;
  std::uint16_t values[4] = {};
  ReadValues(first, m_nir ? 4 : 3, values);
  for (CLazRgb14Context& c : m_contexts) c.m_used = false;
  m_current = context;
  m_contexts[context].Start(values);
}

void CLazRgb14Encoder::Finish() {
  m_rgbLayer.Done();
  if (m_nir) m_nirLayer.Done();
}

std::span<const std::uint8_t> CLazRgb14Encoder::Layer(std::size_t i) const {
  const std::vector<std::uint8_t>& bytes = i == 0 ? m_rgbBytes : m_nirBytes;
  if (!(i == 0 ? m_rgbChanged : m_nirChanged)) return {};
  return {bytes.data(), bytes.size()};
}

void CLazRgb14Encoder::Encode(const std::uint8_t* item, std::uint32_t context) {
  std::uint16_t* last = m_contexts[m_current].m_last;
  if (context != m_current) {
    m_current = context;
    if (!m_contexts[context].m_used) {
      m_contexts[context].Start(last);
      last = m_contexts[context].m_last;
    }
  }
  CLazRgb14Context& c = m_contexts[m_current];
  std::uint16_t v[4] = {};
  ReadValues(item, m_nir ? 4 : 3, v);

  CLazArithmeticEncoder& e = m_rgbLayer;
  const std::uint32_t sym = ColourChanges(v, last);
  e.EncodeSymbol(c.m_rgbChanged, sym);
  std::int32_t diffLow = 0, diffHigh = 0;
  if (sym & 1) {
    diffLow = Low(v[0]) - Low(last[0]);
    e.EncodeSymbol(c.m_rgbDiff[0], LazFoldByte(diffLow));
  }
  if (sym & 2) {
    diffHigh = High(v[0]) - High(last[0]);
    e.EncodeSymbol(c.m_rgbDiff[1], LazFoldByte(diffHigh));
  }
  if (sym & (1u << 6)) {
    if (sym & 4) {
      e.EncodeSymbol(c.m_rgbDiff[2], LazFoldByte(Low(v[1]) - LazClampByte(diffLow + Low(last[1]))));
    }
    if (sym & 16) {
      diffLow = (diffLow + Low(v[1]) - Low(last[1])) / 2;
      e.EncodeSymbol(c.m_rgbDiff[4], LazFoldByte(Low(v[2]) - LazClampByte(diffLow + Low(last[2]))));
    }
    if (sym & 8) {
      e.EncodeSymbol(c.m_rgbDiff[3], LazFoldByte(High(v[1]) - LazClampByte(diffHigh + High(last[1]))));
    }
    if (sym & 32) {
      diffHigh = (diffHigh + High(v[1]) - High(last[1])) / 2;
      e.EncodeSymbol(c.m_rgbDiff[5], LazFoldByte(High(v[2]) - LazClampByte(diffHigh + High(last[2]))));
    }
  }
  m_rgbChanged |= sym != 0;

  if (m_nir) {
    const std::uint32_t nirSym = (Low(v[3]) != Low(last[3]) ? 1u : 0u) | (High(v[3]) != High(last[3]) ? 2u : 0u);
    m_nirLayer.EncodeSymbol(c.m_nirChanged, nirSym);
    if (nirSym & 1) m_nirLayer.EncodeSymbol(c.m_nirDiff[0], LazFoldByte(Low(v[3]) - Low(last[3])));
    if (nirSym & 2) m_nirLayer.EncodeSymbol(c.m_nirDiff[1], LazFoldByte(High(v[3]) - High(last[3])));
    m_nirChanged |= nirSym != 0;
  }
  for (int i = 0; i < 4; ++i) last[i] = v[i];
}
