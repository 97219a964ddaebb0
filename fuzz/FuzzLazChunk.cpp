// The LAZ codec's readers on arbitrary bytes: a chunk of point format 0 to 3 or 6 to 8
// records with up to 7 extra bytes, or a chunk table and a LASzip record. Any result is
// fine but a crash, a sanitizer report, a hang or an unbounded allocation; a CLazError is
// the expected answer to most inputs.
//   byte 0, bit 7 clear: a chunk. Bits 0-1 the point format (with bit 5 set, the layered
//     formats: 6, 7, 8, 8), bits 2-4 the extra bytes; bytes 1-2 the point count
//     (little-endian, at most kMaxPoints); then the chunk.
//   byte 0, bit 7 set: a chunk table (bit 0: variable chunks of their own counts, else
//     chunks of 50,000); bytes 1-4 the chunks' bytes before the table, bytes 5-8 the
//     header's point count; then the table, also read as a LASzip record.

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/common/ByteOrder.h"
#include "core/laz/LazChunkCodec.h"
#include "core/laz/LazChunkTable.h"
#include "core/laz/LazError.h"
#include "core/laz/LazVlr.h"

namespace {

constexpr std::size_t kMaxPoints = 256;
constexpr std::size_t kFormatLength[] = {20, 28, 26, 34, 0, 0, 30, 36, 38};
constexpr std::size_t kMaxLength = 38 + 7;

// One decoder per layout, reused input after input as the LAS handler reuses one per
// thread chunk after chunk.
CLazChunkDecoder& Decoder(int format, std::size_t extra) {
  static std::array<std::unique_ptr<CLazChunkDecoder>, 9 * 8> decoders;
  std::unique_ptr<CLazChunkDecoder>& decoder = decoders[static_cast<std::size_t>(format) * 8 + extra];
  if (!decoder)
    decoder = std::make_unique<CLazChunkDecoder>(CLazVlr::ForPointFormat(format, kFormatLength[format] + extra, 50000));
  return *decoder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  try {
    if (data[0] & 0x80) {
      if (size < 9) return 0;
      const std::uint64_t span = ReadLittleEndian<std::uint32_t>(data + 1);
      const std::uint64_t points = ReadLittleEndian<std::uint32_t>(data + 5);
      const std::uint32_t chunkSize = data[0] & 1 ? CLazVlr::kVariableChunks : CLazVlr::kDefaultChunkSize;
      try {
        CLazChunkTable::Parse(data + 9, size - 9, 1000, 1000 + span, chunkSize, points, 20);
      } catch (const CLazError&) {
      }
      CLazVlr::Parse(data + 9, size - 9);
      return 0;
    }
    const int format = data[0] & 0x20 ? std::min(6 + (data[0] & 3), 8) : data[0] & 3;
    const std::size_t extra = (data[0] >> 2) & 7;
    const std::size_t count = std::min<std::size_t>(ReadLittleEndian<std::uint16_t>(data + 1), kMaxPoints);
    static std::vector<std::uint8_t> records(kMaxPoints * kMaxLength);
    Decoder(format, extra).DecodeChunk(data + 3, size - 3, count, records.data());
  } catch (const CLazError&) {
  }
  return 0;
}
