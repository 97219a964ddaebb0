#include "core/laz/LazChunkCodec.h"

#include <string>

#include "core/laz/LazError.h"

CLazChunkDecoder::CLazChunkDecoder(const CLazVlr& vlr) : m_recordLength(vlr.RecordLength()) {
  if (vlr.Layered()) {
    m_layered.emplace(vlr.items);
  } else {
    m_pointwise.emplace(vlr.items);
  }
}

void CLazChunkDecoder::DecodeChunk(const std::uint8_t* chunk, std::size_t size, std::uint64_t pointCount,
                                   std::uint8_t* records) {
  const std::size_t used = m_layered ? m_layered->DecodeChunk(chunk, size, pointCount, records)
                                     : m_pointwise->DecodeChunk(chunk, size, pointCount, records);
  if (used != size) {
    throw CLazError(std::string(CLazError::kChunk) + std::to_string(size - used) + " bytes left over after its " +
                    std::to_string(pointCount) + " points");
  }
}

CLazChunkEncoder::CLazChunkEncoder(const CLazVlr& vlr) : m_recordLength(vlr.RecordLength()) {
  if (vlr.Layered()) {
    m_layered.emplace(vlr.items);
  } else {
    m_pointwise.emplace(vlr.items);
  }
}

void CLazChunkEncoder::EncodeChunk(const std::uint8_t* records, std::size_t count, std::vector<std::uint8_t>& out) {
  if (m_layered) {
    m_layered->EncodeChunk(records, count, out);
  } else {
    m_pointwise->EncodeChunk(records, count, out);
  }
}
