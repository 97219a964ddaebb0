#include "core/laz/LazVlr.h"

#include <string>

#include "core/common/ByteOrder.h"
#include "core/laz/LazError.h"

namespace {

constexpr std::size_t kFixedBytes = 34;
constexpr std::size_t kItemBytes = 6;

// The size an item of `type` must have; 0 for any size of at least 1 (extra bytes).
int FixedItemSize(std::uint16_t type) {
  switch (type) {
    case CLazItem::kPoint10:
      return 20;
    case CLazItem::kGpsTime11:
      return 8;
    case CLazItem::kRgb12:
    case CLazItem::kRgb14:
      return 6;
    case CLazItem::kWavePacket13:
    case CLazItem::kWavePacket14:
      return 29;
    case CLazItem::kPoint14:
      return 30;
    case CLazItem::kRgbNir14:
      return 8;
    case CLazItem::kByte:
    case CLazItem::kByte14:
      return 0;
    default:
      return -1;
  }
}

}  // namespace

CLazVlr CLazVlr::Parse(const std::uint8_t* data, std::size_t size) {
  if (size < kFixedBytes) {
    throw CLazError("LASzip record of " + std::to_string(size) + " bytes (at least " + std::to_string(kFixedBytes) +
                    " expected)");
  }
  CLazVlr vlr;
  vlr.compressor = ReadLittleEndian<std::uint16_t>(data);
  vlr.coder = ReadLittleEndian<std::uint16_t>(data + 2);
  vlr.versionMajor = data[4];
  vlr.versionMinor = data[5];
  vlr.versionRevision = ReadLittleEndian<std::uint16_t>(data + 6);
  vlr.options = ReadLittleEndian<std::uint32_t>(data + 8);
  vlr.chunkSize = ReadLittleEndian<std::uint32_t>(data + 12);
  vlr.specialEvlrCount = ReadLittleEndian<std::int64_t>(data + 16);
  vlr.specialEvlrOffset = ReadLittleEndian<std::int64_t>(data + 24);
  const std::size_t count = ReadLittleEndian<std::uint16_t>(data + 32);
  if (count == 0) throw CLazError("LASzip record lists no items");
  if (kFixedBytes + kItemBytes * count > size) {
    throw CLazError("LASzip record of " + std::to_string(size) + " bytes lists " + std::to_string(count) + " items");
  }
  if (vlr.compressor < kPointwise || vlr.compressor > kLayeredChunked) {
    throw CLazError("LASzip record names unknown compressor " + std::to_string(vlr.compressor));
  }
  if (vlr.coder != 0) throw CLazError("LASzip record names unknown coder " + std::to_string(vlr.coder));
  if (vlr.compressor != kPointwise && vlr.chunkSize == 0) throw CLazError("LASzip record gives chunks of 0 points");
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* at = data + kFixedBytes + kItemBytes * i;
    CLazItem item;
    item.type = ReadLittleEndian<std::uint16_t>(at);
    item.size = ReadLittleEndian<std::uint16_t>(at + 2);
    item.version = ReadLittleEndian<std::uint16_t>(at + 4);
    const int expected = FixedItemSize(item.type);
    if (expected < 0) throw CLazError("LASzip record lists unknown item type " + std::to_string(item.type));
    if ((expected > 0 && item.size != expected) || item.size == 0) {
      throw CLazError("LASzip record lists item type " + std::to_string(item.type) + " of " +
                      std::to_string(item.size) + " bytes");
    }
    vlr.items.push_back(item);
  }
  return vlr;
}

std::vector<std::uint8_t> CLazVlr::Serialize() const {
  std::vector<std::uint8_t> bytes(kFixedBytes + kItemBytes * items.size());
  std::uint8_t* data = bytes.data();
  WriteLittleEndian(data, compressor);
  WriteLittleEndian(data + 2, coder);
  data[4] = versionMajor;
  data[5] = versionMinor;
  WriteLittleEndian(data + 6, versionRevision);
  WriteLittleEndian(data + 8, options);
  WriteLittleEndian(data + 12, chunkSize);
  WriteLittleEndian(data + 16, specialEvlrCount);
  WriteLittleEndian(data + 24, specialEvlrOffset);
  WriteLittleEndian(data + 32, static_cast<std::uint16_t>(items.size()));
  for (std::size_t i = 0; i < items.size(); ++i) {
    std::uint8_t* at = data + kFixedBytes + kItemBytes * i;
    WriteLittleEndian(at, items[i].type);
    WriteLittleEndian(at + 2, items[i].size);
    WriteLittleEndian(at + 4, items[i].version);
  }
  return bytes;
}

CLazVlr CLazVlr::ForPointFormat(int format, std::size_t recordLength, std::uint32_t chunkSize) {
  // The fields of each format: GPS time, colour, near infrared, waveform packet, and the
  // bytes they take.
  struct CFormat {
    bool time, rgb, nir, wave;
    std::size_t length;
  };
  static constexpr CFormat kFormats[] = {
      {false, false, false, false, 20}, {true, false, false, false, 28}, {false, true, false, false, 26},
      {true, true, false, false, 34},   {true, false, false, true, 57},  {true, true, false, true, 63},
      {true, false, false, false, 30},  {true, true, false, false, 36},  {true, true, true, false, 38},
      {true, false, false, true, 59},   {true, true, true, true, 67}};
  if (format < 0 || format > 10) throw CLazError("LAZ of point format " + std::to_string(format) + " is not possible");
  const CFormat& f = kFormats[format];
  if (recordLength < f.length || recordLength - f.length > 0xFFFF) {
    throw CLazError("point format " + std::to_string(format) + " records of " + std::to_string(recordLength) +
                    " bytes cannot be LAZ");
  }
  const auto extra = static_cast<std::uint16_t>(recordLength - f.length);
  CLazVlr vlr;
  vlr.chunkSize = chunkSize;
  if (format <= 5) {
    vlr.compressor = kPointwiseChunked;
    vlr.items.push_back({CLazItem::kPoint10, 20, 2});
    if (f.time) vlr.items.push_back({CLazItem::kGpsTime11, 8, 2});
    if (f.rgb) vlr.items.push_back({CLazItem::kRgb12, 6, 2});
    if (f.wave) vlr.items.push_back({CLazItem::kWavePacket13, 29, 1});
    if (extra) vlr.items.push_back({CLazItem::kByte, extra, 2});
  } else {
    vlr.compressor = kLayeredChunked;
    vlr.items.push_back({CLazItem::kPoint14, 30, 3});
    if (f.nir) {
      vlr.items.push_back({CLazItem::kRgbNir14, 8, 3});
    } else if (f.rgb) {
      vlr.items.push_back({CLazItem::kRgb14, 6, 3});
    }
    if (f.wave) vlr.items.push_back({CLazItem::kWavePacket14, 29, 3});
    if (extra) vlr.items.push_back({CLazItem::kByte14, extra, 3});
  }
  return vlr;
}

std::size_t CLazVlr::RecordLength() const {
  std::size_t length = 0;
  for (const CLazItem& item : items) length += item.size;
  return length;
}
