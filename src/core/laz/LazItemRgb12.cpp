#include "core/laz/LazItemRgb12.h"

#include <algorithm>

#include "core/common/ByteOrder.h"

namespace {

// Bits of the changed mask: the low and high bytes of red, green and blue, and "not a
// grey" (green or blue differs from red).
constexpr std::uint32_t kRedLow = 1, kRedHigh = 2, kGreenLow = 4, kGreenHigh = 8, kBlueLow = 16, kBlueHigh = 32,
                        kColour = 64;
// The models of m_diffs.
constexpr std::size_t kRedLowModel = 0, kRedHighModel = 1, kGreenLowModel = 2, kGreenHighModel = 3, kBlueLowModel = 4,
                      kBlueHighModel = 5;

std::int32_t Low(std::uint16_t v) { return v & 0xFF; }
std::int32_t High(std::uint16_t v) { return v >> 8; }
std::int32_t ClampByte(std::int32_t v) { return std::clamp(v, 0, 255); }
std::uint8_t ByteOf(std::int32_t v) { return static_cast<std::uint8_t>(v); }  // modulo 256

}  // namespace

CLazRgb12Coder::CLazRgb12Coder()
    : m_changed(128), m_diffs{CLazSymbolModel(256), CLazSymbolModel(256), CLazSymbolModel(256),
                              CLazSymbolModel(256), CLazSymbolModel(256), CLazSymbolModel(256)} {}

void CLazRgb12Coder::Init(const std::uint8_t* first) {
  m_changed.Reset();
  for (CLazSymbolModel& model : m_diffs) model.Reset();
  for (std::size_t c = 0; c < 3; ++c) m_last[c] = ReadLittleEndian<std::uint16_t>(first + 2 * c);
}

void CLazRgb12Coder::Decode(CLazArithmeticDecoder& decoder, std::uint8_t* item) {
  const std::uint32_t changed = decoder.DecodeSymbol(m_changed);
  std::array<std::uint16_t, 3> rgb;
  const auto byte = [&](std::uint32_t bit, std::size_t model, std::int32_t predicted, std::int32_t last) {
    return changed & bit ? ByteOf(static_cast<std::int32_t>(decoder.DecodeSymbol(m_diffs[model])) + predicted)
                         : static_cast<std::uint8_t>(last);
  };
  const std::int32_t redLow = byte(kRedLow, kRedLowModel, Low(m_last[0]), Low(m_last[0]));
  const std::int32_t redHigh = byte(kRedHigh, kRedHighModel, High(m_last[0]), High(m_last[0]));
  rgb[0] = static_cast<std::uint16_t>(redLow | redHigh << 8);
  if (changed & kColour) {
    std::int32_t diff = redLow - Low(m_last[0]);
    const std::int32_t greenLow = byte(kGreenLow, kGreenLowModel, ClampByte(diff + Low(m_last[1])), Low(m_last[1]));
    diff = (diff + greenLow - Low(m_last[1])) / 2;
    const std::int32_t blueLow = byte(kBlueLow, kBlueLowModel, ClampByte(diff + Low(m_last[2])), Low(m_last[2]));
    diff = redHigh - High(m_last[0]);
    const std::int32_t greenHigh =
        byte(kGreenHigh, kGreenHighModel, ClampByte(diff + High(m_last[1])), High(m_last[1]));
    diff = (diff + greenHigh - High(m_last[1])) / 2;
    const std::int32_t blueHigh = byte(kBlueHigh, kBlueHighModel, ClampByte(diff + High(m_last[2])), High(m_last[2]));
    rgb[1] = static_cast<std::uint16_t>(greenLow | greenHigh << 8);
    rgb[2] = static_cast<std::uint16_t>(blueLow | blueHigh << 8);
  } else {
    rgb[1] = rgb[2] = rgb[0];
  }
  for (std::size_t c = 0; c < 3; ++c) WriteLittleEndian(item + 2 * c, rgb[c]);
  m_last = rgb;
}

void CLazRgb12Coder::Encode(CLazArithmeticEncoder& encoder, const std::uint8_t* item) {
  std::array<std::uint16_t, 3> rgb;
  for (std::size_t c = 0; c < 3; ++c) rgb[c] = ReadLittleEndian<std::uint16_t>(item + 2 * c);
  std::uint32_t changed = 0;
  for (std::size_t c = 0; c < 3; ++c) {
    if (Low(rgb[c]) != Low(m_last[c])) changed |= kRedLow << (2 * c);
    if (High(rgb[c]) != High(m_last[c])) changed |= kRedHigh << (2 * c);
  }
  if (rgb[1] != rgb[0] || rgb[2] != rgb[0]) changed |= kColour;
  encoder.EncodeSymbol(m_changed, changed);

  const auto send = [&](std::uint32_t bit, std::size_t model, std::int32_t value, std::int32_t predicted) {
    if (changed & bit) encoder.EncodeSymbol(m_diffs[model], ByteOf(value - predicted));
  };
  std::int32_t diffLow = Low(rgb[0]) - Low(m_last[0]);
  std::int32_t diffHigh = High(rgb[0]) - High(m_last[0]);
  send(kRedLow, kRedLowModel, Low(rgb[0]), Low(m_last[0]));
  send(kRedHigh, kRedHighModel, High(rgb[0]), High(m_last[0]));
  if (changed & kColour) {
    send(kGreenLow, kGreenLowModel, Low(rgb[1]), ClampByte(diffLow + Low(m_last[1])));
    diffLow = (diffLow + Low(rgb[1]) - Low(m_last[1])) / 2;
    send(kBlueLow, kBlueLowModel, Low(rgb[2]), ClampByte(diffLow + Low(m_last[2])));
    send(kGreenHigh, kGreenHighModel, High(rgb[1]), ClampByte(diffHigh + High(m_last[1])));
    diffHigh = (diffHigh + High(rgb[1]) - High(m_last[1])) / 2;
    send(kBlueHigh, kBlueHighModel, High(rgb[2]), ClampByte(diffHigh + High(m_last[2])));
  }
  m_last = rgb;
}
