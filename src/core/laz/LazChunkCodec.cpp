#include "core/laz/LazChunkCodec.h"

#include <string>

#include "core/laz/LazError.h"

namespace {

// Point formats 6 to 10 (the layered compressor) plug in where this is thrown.
[[noreturn]] void RefuseLayered() { throw CLazError("LAS 1.4 layered LAZ not supported yet"); }

}  // namespace

CLazChunkDecoder::CLazChunkDecoder(const CLazVlr& vlr) : m_recordLength(vlr.RecordLength()) {
  if (vlr.Layered()) RefuseLayered();
  m_pointwise.emplace(vlr.items);
}

void CLazChunkDecoder::DecodeChunk(const std::uint8_t* chunk, std::size_t size, std::uint64_t pointCount,
                                   std::uint8_t* records) {
  const std::size_t used = m_pointwise->DecodeChunk(chunk, size, pointCount, records);
  if (used != size) {
    throw CLazError(std::string(CLazError::kChunk) + std::to_string(size - used) + " bytes left over after its " +
                    std::to_string(pointCount) + " points");
  }
}

CLazChunkEncoder::CLazChunkEncoder(const CLazVlr& vlr) : m_recordLength(vlr.RecordLength()) {
  if (vlr.Layered()) RefuseLayered();
  m_pointwise.emplace(vlr.items);
}

void CLazChunkEncoder::EncodeChunk(const std::uint8_t* records, std::size_t count, std::vector<std::uint8_t>& out) {
  m_pointwise->EncodeChunk(records, count, out);
}
