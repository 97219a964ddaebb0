#include "core/laz/LazLayeredChunk.h"

#include <cstring>
#include <limits>
#include <string>

#include "core/common/ByteOrder.h"
#include "core/laz/LazError.h"

namespace {

// A message about a chunk, which the caller that knows its index names.
std::string Chunk(const std::string& what) { return "LAZ chunk: " + what; }

// Where the items lie in a record, from the LASzip record's item list.
struct CLayout {
  bool rgb = false, nir = false;
  std::size_t extraBytes = 0;
  std::size_t rgbOffset = 0, bytesOffset = 0, recordLength = 0;
};

std::string ItemText(const CLazItem& item) {
  return "type " + std::to_string(item.type) + ", size " + std::to_string(item.size) + ", version " +
         std::to_string(item.version);
}

CLayout LayoutOf(const std::vector<CLazItem>& items) {
  constexpr std::uint16_t kVersion = 3;
  CLayout layout;
  std::size_t i = 0;
  auto refuse = [&](const std::string& why) {
    throw CLazError("LAZ item " + std::to_string(i + 1) + " (" + ItemText(items[i]) + "): " + why);
  };
  if (items.empty() || items[0].type != CLazItem::kPoint14) {
    throw CLazError("LAZ layered chunks: the items must start with POINT14");
  }
  for (; i < items.size(); ++i) {
    const CLazItem& item = items[i];
    if (item.type == CLazItem::kWavePacket14) refuse("waveform packets (point formats 9 and 10) are not supported");
    if (item.version != kVersion) refuse("only version 3 of the LAS 1.4 items is supported");
    if (item.type == CLazItem::kPoint14 && i == 0) {
      if (item.size != CLazPoint14Fields::s_size) refuse("POINT14 has 30 bytes");
      layout.recordLength = item.size;
    } else if ((item.type == CLazItem::kRgb14 || item.type == CLazItem::kRgbNir14) && i == 1) {
      layout.rgb = true;
      layout.nir = item.type == CLazItem::kRgbNir14;
      if (item.size != (layout.nir ? 8 : 6)) refuse("the colour item has the wrong size");
      layout.rgbOffset = layout.recordLength;
      layout.recordLength += item.size;
    } else if (item.type == CLazItem::kByte14 && i + 1 == items.size()) {
      if (item.size == 0 || item.size > kLazMaxExtraBytes14) {
        refuse("1 to " + std::to_string(kLazMaxExtraBytes14) + " extra bytes are supported");
      }
      layout.extraBytes = item.size;
      layout.bytesOffset = layout.recordLength;
      layout.recordLength += item.size;
    } else {
      refuse("not an item of LAS 1.4 point formats 6 to 8 in its place");
    }
  }
  return layout;
}

}  // namespace

// ---- Decoder ------------------------------------------------------------------------------

CLazLayeredDecoder::CLazLayeredDecoder(const std::vector<CLazItem>& items) {
  const CLayout layout = LayoutOf(items);
  if (layout.rgb) m_rgb.emplace(layout.nir);
  if (layout.extraBytes) m_bytes.emplace(layout.extraBytes);
  m_rgbOffset = layout.rgbOffset;
  m_bytesOffset = layout.bytesOffset;
  m_recordLength = layout.recordLength;
  m_layers.resize(CLazPoint14Decoder::s_layerCount + (m_rgb ? m_rgb->LayerCount() : 0) +
                  (m_bytes ? m_bytes->LayerCount() : 0));
}

std::size_t CLazLayeredDecoder::DecodeChunk(const std::uint8_t* chunk, std::size_t size, std::uint64_t pointCount,
                                            std::uint8_t* records) {
  if (pointCount == 0) return 0;
  // Messages are made only when thrown: nothing is allocated for a good chunk.
  const auto points = [pointCount] { return std::to_string(pointCount) + " points"; };
  // The first record, the count and the layer sizes.
  const std::size_t head = m_recordLength + 4 + 4 * m_layers.size();
  if (size < head) throw CLazError(Chunk("ends before the layers of its " + points()));
  std::memcpy(records, chunk, m_recordLength);
  const auto stored = ReadLittleEndian<std::uint32_t>(chunk + m_recordLength);
  if (stored != pointCount) throw CLazError(Chunk("holds " + std::to_string(stored) + " points, not " + points()));

  std::size_t offset = head;
  for (std::size_t i = 0; i < m_layers.size(); ++i) {
    const auto layerSize = ReadLittleEndian<std::uint32_t>(chunk + m_recordLength + 4 + 4 * i);
    if (layerSize > size - offset) {
      throw CLazError(
          Chunk("layer " + std::to_string(i + 1) + " of " + std::to_string(layerSize) + " bytes runs past its end"));
    }
    m_layers[i] = {chunk + offset, layerSize};
    offset += layerSize;
  }

  std::uint32_t context = m_point.Start(records, m_layers.data());
  const CLazLayerBytes* more = m_layers.data() + CLazPoint14Decoder::s_layerCount;
  if (m_rgb) {
    m_rgb->Start(records + m_rgbOffset, more, context);
    more += m_rgb->LayerCount();
  }
  if (m_bytes) m_bytes->Start(records + m_bytesOffset, more, context);

  std::uint8_t* record = records;
  for (std::uint64_t i = 1; i < pointCount; ++i) {
    record += m_recordLength;
    context = m_point.Decode(record);
    if (m_rgb) m_rgb->Decode(record + m_rgbOffset, context);
    if (m_bytes) m_bytes->Decode(record + m_bytesOffset, context);
    // The first layer carries every point: a hostile chunk stops as soon as it runs dry.
    if (m_point.XyOverran()) throw CLazError(Chunk("ends before its " + points()));
  }
  if (m_point.Overran() || (m_rgb && m_rgb->Overran()) || (m_bytes && m_bytes->Overran())) {
    throw CLazError(Chunk("a layer ends before its " + points()));
  }
  return offset;
}

// ---- Encoder ------------------------------------------------------------------------------

CLazLayeredEncoder::CLazLayeredEncoder(const std::vector<CLazItem>& items) {
  const CLayout layout = LayoutOf(items);
  if (layout.rgb) m_rgb.emplace(layout.nir);
  if (layout.extraBytes) m_bytes.emplace(layout.extraBytes);
  m_rgbOffset = layout.rgbOffset;
  m_bytesOffset = layout.bytesOffset;
  m_recordLength = layout.recordLength;
}

void CLazLayeredEncoder::EncodeChunk(const std::uint8_t* records, std::size_t count, std::vector<std::uint8_t>& out) {
  if (count == 0) return;
  if (count > std::numeric_limits<std::uint32_t>::max()) {
    throw CLazError(Chunk(std::to_string(count) + " points; a chunk holds at most 2^32 - 1"));
  }
  out.insert(out.end(), records, records + m_recordLength);
  std::uint32_t context = m_point.Start(records);
  if (m_rgb) m_rgb->Start(records + m_rgbOffset, context);
  if (m_bytes) m_bytes->Start(records + m_bytesOffset, context);
  const std::uint8_t* record = records;
  for (std::size_t i = 1; i < count; ++i) {
    record += m_recordLength;
    context = m_point.Encode(record);
    if (m_rgb) m_rgb->Encode(record + m_rgbOffset, context);
    if (m_bytes) m_bytes->Encode(record + m_bytesOffset, context);
  }
  m_point.Finish();
  if (m_rgb) m_rgb->Finish();
  if (m_bytes) m_bytes->Finish();

  // The count, every layer's size, then the layers.
  auto putWord = [&out](std::uint32_t value) {
    std::uint8_t bytes[4];
    WriteLittleEndian(bytes, value);
    out.insert(out.end(), bytes, bytes + 4);
  };
  auto forEachLayer = [&](auto&& use) {
    for (std::size_t i = 0; i < CLazPoint14Encoder::s_layerCount; ++i) use(m_point.Layer(i));
    if (m_rgb) {
      for (std::size_t i = 0; i < m_rgb->LayerCount(); ++i) use(m_rgb->Layer(i));
    }
    if (m_bytes) {
      for (std::size_t i = 0; i < m_bytes->LayerCount(); ++i) use(m_bytes->Layer(i));
    }
  };
  putWord(static_cast<std::uint32_t>(count));
  forEachLayer([&](std::span<const std::uint8_t> layer) { putWord(static_cast<std::uint32_t>(layer.size())); });
  forEachLayer([&](std::span<const std::uint8_t> layer) { out.insert(out.end(), layer.begin(), layer.end()); });
}
