#include "core/laz/LazPointwiseChunk.h"

#include <cstring>
#include <string>

#include "core/laz/LazError.h"
#include "core/laz/LazItemBytes10.h"
#include "core/laz/LazItemGpsTime11.h"
#include "core/laz/LazItemPoint10.h"
#include "core/laz/LazItemRgb12.h"

namespace {

const char* ItemName(std::uint16_t type) {
  switch (type) {
    case CLazItem::kPoint10:
      return "POINT10";
    case CLazItem::kGpsTime11:
      return "GPSTIME11";
    case CLazItem::kRgb12:
      return "RGB12";
    case CLazItem::kByte:
      return "BYTE";
    default:
      return "?";
  }
}

void CheckItem(const CLazItem& item, std::size_t size) {
  if (item.size != size) {
    throw CLazError(std::string("LAZ item ") + ItemName(item.type) + " of " + std::to_string(item.size) +
                    " bytes (it has " + std::to_string(size) + ")");
  }
  if (item.version == 1) {
    throw CLazError(std::string("LAZ item ") + ItemName(item.type) +
                    " version 1 (written by LASzip before 2.0) is not supported");
  }
  if (item.version != 2) {
    throw CLazError(std::string("LAZ item ") + ItemName(item.type) + " of unknown version " +
                    std::to_string(item.version));
  }
}

}  // namespace

CLazPointwiseItems::CLazPointwiseItems(const std::vector<CLazItem>& items) {
  if (items.empty()) throw CLazError("LAZ record of no items");
  for (const CLazItem& item : items) {
    CSlot slot{EKind::kBytes, m_recordLength, nullptr};
    switch (item.type) {
      case CLazItem::kPoint10:
        CheckItem(item, CLazPoint10Coder::kSize);
        if (m_point10) throw CLazError("LAZ record holds POINT10 twice");
        m_point10 = std::make_unique<CLazPoint10Coder>();
        slot.kind = EKind::kPoint10;
        break;
      case CLazItem::kGpsTime11:
        CheckItem(item, CLazGpsTime11Coder::kSize);
        if (m_gpsTime) throw CLazError("LAZ record holds GPSTIME11 twice");
        m_gpsTime = std::make_unique<CLazGpsTime11Coder>();
        slot.kind = EKind::kGpsTime11;
        break;
      case CLazItem::kRgb12:
        CheckItem(item, CLazRgb12Coder::kSize);
        if (m_rgb) throw CLazError("LAZ record holds RGB12 twice");
        m_rgb = std::make_unique<CLazRgb12Coder>();
        slot.kind = EKind::kRgb12;
        break;
      case CLazItem::kByte:
        if (item.size == 0) throw CLazError("LAZ item BYTE of 0 bytes");
        CheckItem(item, item.size);
        m_bytes.push_back(std::make_unique<CLazBytes10Coder>(item.size));
        slot.bytes = m_bytes.back().get();
        break;
      case CLazItem::kWavePacket13:
        throw CLazError("LAZ with waveform packets (point formats 4 and 5) is not supported");
      default:
        throw CLazError("LAZ item of type " + std::to_string(item.type) + " is not one of point formats 0 to 5");
    }
    m_slots.push_back(slot);
    m_recordLength += item.size;
  }
}

CLazPointwiseItems::~CLazPointwiseItems() = default;

void CLazPointwiseItems::Init(const std::uint8_t* first) {
  for (const CSlot& slot : m_slots) {
    switch (slot.kind) {
      case EKind::kPoint10:
        m_point10->Init(first + slot.offset);
        break;
      case EKind::kGpsTime11:
        m_gpsTime->Init(first + slot.offset);
        break;
      case EKind::kRgb12:
        m_rgb->Init(first + slot.offset);
        break;
      case EKind::kBytes:
        slot.bytes->Init(first + slot.offset);
        break;
    }
  }
}

std::size_t CLazPointwiseDecoder::DecodeChunk(const std::uint8_t* chunk, std::size_t size, std::uint64_t pointCount,
                                              std::uint8_t* records) {
  if (pointCount == 0) return 0;
  const auto endsEarly = [&] {
    return CLazError(std::string(CLazError::kChunk) + "ends before its " + std::to_string(pointCount) + " points");
  };
  if (size < m_recordLength) throw endsEarly();
  std::memcpy(records, chunk, m_recordLength);
  Init(records);
  m_decoder.Init(chunk + m_recordLength, size - m_recordLength);
  std::uint8_t* record = records + m_recordLength;
  for (std::uint64_t i = 1; i < pointCount; ++i, record += m_recordLength) {
    for (const CSlot& slot : m_slots) {
      switch (slot.kind) {
        case EKind::kPoint10:
          m_point10->Decode(m_decoder, record + slot.offset);
          break;
        case EKind::kGpsTime11:
          m_gpsTime->Decode(m_decoder, record + slot.offset);
          break;
        case EKind::kRgb12:
          m_rgb->Decode(m_decoder, record + slot.offset);
          break;
        case EKind::kBytes:
          slot.bytes->Decode(m_decoder, record + slot.offset);
          break;
      }
    }
    // A writer's chunk is read to its last byte and never beyond: stop at once when the
    // bytes ran out (a count that no bytes back would otherwise be decoded from zeros).
    if (m_decoder.Overran()) throw endsEarly();
  }
  if (m_decoder.Overran()) throw endsEarly();
  if (m_decoder.Corrupt()) throw CLazError(std::string(CLazError::kChunk) + "decodes to values no LAZ writer writes");
  return m_recordLength + m_decoder.BytesRead();
}

void CLazPointwiseEncoder::EncodeChunk(const std::uint8_t* records, std::size_t count, std::vector<std::uint8_t>& out) {
  if (count == 0) return;
  out.insert(out.end(), records, records + m_recordLength);
  Init(records);
  m_encoder.Init(out);
  const std::uint8_t* record = records + m_recordLength;
  for (std::size_t i = 1; i < count; ++i, record += m_recordLength) {
    for (const CSlot& slot : m_slots) {
      switch (slot.kind) {
        case EKind::kPoint10:
          m_point10->Encode(m_encoder, record + slot.offset);
          break;
        case EKind::kGpsTime11:
          m_gpsTime->Encode(m_encoder, record + slot.offset);
          break;
        case EKind::kRgb12:
          m_rgb->Encode(m_encoder, record + slot.offset);
          break;
        case EKind::kBytes:
          slot.bytes->Encode(m_encoder, record + slot.offset);
          break;
      }
    }
  }
  m_encoder.Done();
}
