#include "LazFile.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

#include "core/common/ByteOrder.h"
#include "core/laz/LazChunkCodec.h"
#include "core/laz/LazChunkTable.h"
#include "core/laz/LazError.h"

namespace {

// Header fields (byte offsets from the start of the file).
constexpr std::size_t kVersionMinor = 25, kHeaderSize = 94, kPointDataOffset = 96, kVlrCount = 100, kPointFormat = 104,
                      kRecordLength = 105, kLegacyCount = 107, kWaveformStart = 227, kEvlrStart = 235, kEvlrCount = 243,
                      kCount64 = 247;
constexpr std::size_t kHeader12 = 227, kHeader14 = 375;
constexpr std::size_t kVlrHeader = 54, kUserId = 2, kRecordId = 18, kVlrLength = 20, kDescription = 22;
constexpr std::uint8_t kCompressionBits = 0xC0;

// A VLR: where it starts and its payload's bytes.
struct CVlrSpan {
  std::size_t start;
  std::size_t length;
  bool laszip;
};

std::vector<CVlrSpan> Vlrs(const CBytes& file) {
  const std::size_t headerSize = ReadLittleEndian<std::uint16_t>(&file[kHeaderSize]);
  const std::uint32_t count = ReadLittleEndian<std::uint32_t>(&file[kVlrCount]);
  std::vector<CVlrSpan> vlrs;
  std::size_t at = headerSize;
  for (std::uint32_t i = 0; i < count; ++i) {
    if (at + kVlrHeader > file.size()) throw std::runtime_error("LAS file ends inside its VLRs");
    const std::size_t length = ReadLittleEndian<std::uint16_t>(&file[at + kVlrLength]);
    if (at + kVlrHeader + length > file.size()) throw std::runtime_error("LAS file ends inside its VLRs");
    char user[17] = {};
    std::memcpy(user, &file[at + kUserId], 16);
    const bool laszip = std::string(user) == CLazVlr::kUserId &&
                        ReadLittleEndian<std::uint16_t>(&file[at + kRecordId]) == CLazVlr::kRecordId;
    vlrs.push_back({at, length, laszip});
    at += kVlrHeader + length;
  }
  return vlrs;
}

std::size_t VlrsEnd(const CBytes& file, const std::vector<CVlrSpan>& vlrs) {
  return vlrs.empty() ? ReadLittleEndian<std::uint16_t>(&file[kHeaderSize])
                      : vlrs.back().start + kVlrHeader + vlrs.back().length;
}

// Moves the offsets of what lies after the point data (EVLRs, waveform packets) by
// `shift` bytes, and the point data offset by `vlrShift`.
void MoveOffsets(CBytes& file, const CLasLayout& before, std::int64_t vlrShift, std::int64_t shift) {
  WriteLittleEndian(&file[kPointDataOffset],
                    static_cast<std::uint32_t>(static_cast<std::int64_t>(before.pointDataOffset) + vlrShift));
  const auto move = [&](std::size_t field) {
    const std::uint64_t at = ReadLittleEndian<std::uint64_t>(&file[field]);
    if (at >= before.pointDataEnd) {
      WriteLittleEndian(&file[field], static_cast<std::uint64_t>(static_cast<std::int64_t>(at) + shift));
    }
  };
  if (before.versionMinor >= 3 && file.size() >= kWaveformStart + 8) move(kWaveformStart);
  if (before.versionMinor >= 4 && file.size() >= kHeader14 && ReadLittleEndian<std::uint32_t>(&file[kEvlrCount])) {
    move(kEvlrStart);
  }
}

void Append(CBytes& to, const CBytes& from, std::size_t begin, std::size_t end) {
  to.insert(to.end(), from.begin() + static_cast<std::ptrdiff_t>(begin),
            from.begin() + static_cast<std::ptrdiff_t>(end));
}

}  // namespace

CLasLayout ReadLasLayout(const CBytes& file) {
  if (file.size() < kHeader12 || std::memcmp(file.data(), "LASF", 4) != 0) throw std::runtime_error("not a LAS file");
  CLasLayout layout;
  layout.versionMinor = file[kVersionMinor];
  const std::uint8_t format = file[kPointFormat];
  layout.format = format & ~kCompressionBits;
  layout.compressed = (format & kCompressionBits) != 0;
  layout.recordLength = ReadLittleEndian<std::uint16_t>(&file[kRecordLength]);
  layout.pointDataOffset = ReadLittleEndian<std::uint32_t>(&file[kPointDataOffset]);
  layout.pointCount = ReadLittleEndian<std::uint32_t>(&file[kLegacyCount]);
  layout.pointDataEnd = file.size();
  const std::size_t headerSize = ReadLittleEndian<std::uint16_t>(&file[kHeaderSize]);
  if (layout.versionMinor >= 4 && headerSize >= kHeader14 && file.size() >= kHeader14) {
    layout.pointCount = ReadLittleEndian<std::uint64_t>(&file[kCount64]);
    if (ReadLittleEndian<std::uint32_t>(&file[kEvlrCount])) {
      layout.pointDataEnd = std::min<std::uint64_t>(ReadLittleEndian<std::uint64_t>(&file[kEvlrStart]), file.size());
    }
  }
  if (layout.pointDataOffset > layout.pointDataEnd) throw std::runtime_error("LAS point data beyond the file's end");
  return layout;
}

CLazVlr FindLazVlr(const CBytes& file) {
  for (const CVlrSpan& vlr : Vlrs(file)) {
    if (vlr.laszip) return CLazVlr::Parse(&file[vlr.start + kVlrHeader], vlr.length);
  }
  throw CLazError("LAZ file without a LASzip record");
}

CBytes DecodeLazRecords(const CBytes& laz) {
  const CLasLayout layout = ReadLasLayout(laz);
  const CLazVlr vlr = FindLazVlr(laz);
  if (vlr.RecordLength() != layout.recordLength) {
    throw CLazError("LAZ items of " + std::to_string(vlr.RecordLength()) + " bytes for records of " +
                    std::to_string(layout.recordLength));
  }
  const std::uint64_t start = layout.pointDataOffset, end = layout.pointDataEnd;
  if (layout.pointCount > CLazChunkTable::MaxPoints(end - start)) throw CLazError("LAZ file too short for its points");
  CBytes records(layout.pointCount * layout.recordLength);
  CLazChunkDecoder decoder(vlr);
  if (vlr.compressor == CLazVlr::kPointwise) {
    decoder.DecodeChunk(&laz[start], end - start, layout.pointCount, records.data());
    return records;
  }
  if (end - start < 8) throw CLazError("LAZ point data without its chunk table offset");
  std::int64_t tableOffset = ReadLittleEndian<std::int64_t>(&laz[start]);
  if (tableOffset == -1) tableOffset = ReadLittleEndian<std::int64_t>(&laz[laz.size() - 8]);  // written at the end
  if (tableOffset < 0 || static_cast<std::uint64_t>(tableOffset) > end) {
    throw CLazError("LAZ chunk table offset " + std::to_string(tableOffset) + " lies outside the point data");
  }
  const auto table = CLazChunkTable::Parse(&laz[tableOffset], end - tableOffset, start + 8, tableOffset, vlr.chunkSize,
                                           layout.pointCount, layout.recordLength);
  std::uint8_t* out = records.data();
  for (std::size_t i = 0; i < table.Chunks().size(); ++i) {
    const CLazChunkTable::CChunk& chunk = table.Chunks()[i];
    try {
      decoder.DecodeChunk(&laz[chunk.offset], chunk.bytes, chunk.points, out);
    } catch (const CLazError& error) {
      throw CLazError::InChunk(i, error);
    }
    out += chunk.points * layout.recordLength;
  }
  return records;
}

CBytes LazToLas(const CBytes& laz) {
  const CLasLayout layout = ReadLasLayout(laz);
  const CBytes records = DecodeLazRecords(laz);
  const std::vector<CVlrSpan> vlrs = Vlrs(laz);
  CBytes las;
  Append(las, laz, 0, ReadLittleEndian<std::uint16_t>(&laz[kHeaderSize]));
  std::size_t removed = 0;
  for (const CVlrSpan& vlr : vlrs) {
    if (vlr.laszip) {
      removed += kVlrHeader + vlr.length;
    } else {
      Append(las, laz, vlr.start, vlr.start + kVlrHeader + vlr.length);
    }
  }
  Append(las, laz, VlrsEnd(laz, vlrs), layout.pointDataOffset);
  las.insert(las.end(), records.begin(), records.end());
  Append(las, laz, layout.pointDataEnd, laz.size());
  WriteLittleEndian(&las[kVlrCount], static_cast<std::uint32_t>(vlrs.size() - (removed ? 1 : 0)));
  las[kPointFormat] = static_cast<std::uint8_t>(layout.format);
  const auto pointBytes = static_cast<std::int64_t>(records.size());
  MoveOffsets(las, layout, -static_cast<std::int64_t>(removed),
              -static_cast<std::int64_t>(removed) + pointBytes -
                  static_cast<std::int64_t>(layout.pointDataEnd - layout.pointDataOffset));
  return las;
}

CBytes LasToLaz(const CBytes& las, std::uint32_t chunkSize, const std::vector<std::uint32_t>& variableSizes) {
  const CLasLayout layout = ReadLasLayout(las);
  if (layout.compressed) throw std::runtime_error("the LAS file is compressed already");
  if (layout.format == 4 || layout.format == 5 || layout.format >= 9) {
    throw std::runtime_error("point format " + std::to_string(layout.format) + " (waveforms) is not written as LAZ");
  }
  if (layout.pointDataOffset + layout.pointCount * layout.recordLength > layout.pointDataEnd) {
    throw std::runtime_error("LAS file shorter than its points");
  }
  const bool variable = chunkSize == CLazVlr::kVariableChunks;
  if (variable && (variableSizes.empty() || std::count(variableSizes.begin(), variableSizes.end(), 0u))) {
    throw std::runtime_error("variable chunks need their sizes, none 0");
  }
  const CLazVlr vlr = CLazVlr::ForPointFormat(layout.format, layout.recordLength, chunkSize);
  const CBytes payload = vlr.Serialize();
  const std::vector<CVlrSpan> vlrs = Vlrs(las);

  CBytes laz;
  Append(laz, las, 0, VlrsEnd(las, vlrs));
  const std::size_t vlrAt = laz.size();
  laz.resize(vlrAt + kVlrHeader);
  std::memcpy(&laz[vlrAt + kUserId], CLazVlr::kUserId, std::strlen(CLazVlr::kUserId));
  WriteLittleEndian(&laz[vlrAt + kRecordId], CLazVlr::kRecordId);
  WriteLittleEndian(&laz[vlrAt + kVlrLength], static_cast<std::uint16_t>(payload.size()));
  const char description[] = "Marevert LAZ";
  std::memcpy(&laz[vlrAt + kDescription], description, sizeof description - 1);
  laz.insert(laz.end(), payload.begin(), payload.end());
  Append(laz, las, VlrsEnd(las, vlrs), layout.pointDataOffset);

  const std::size_t tableOffsetAt = laz.size();
  laz.resize(laz.size() + 8);
  CLazChunkEncoder encoder(vlr);
  CLazChunkTable table(laz.size());
  const std::uint8_t* records = &las[layout.pointDataOffset];
  std::size_t sizeIndex = 0;
  for (std::uint64_t done = 0; done < layout.pointCount;) {
    const std::uint64_t wanted = variable ? variableSizes[sizeIndex++ % variableSizes.size()] : chunkSize;
    const std::uint64_t count = std::min(wanted, layout.pointCount - done);
    const std::size_t before = laz.size();
    encoder.EncodeChunk(records + done * layout.recordLength, count, laz);
    table.Add(count, laz.size() - before);
    done += count;
  }
  WriteLittleEndian(&laz[tableOffsetAt], static_cast<std::int64_t>(laz.size()));
  const CBytes tableBytes = table.Serialize(variable);
  laz.insert(laz.end(), tableBytes.begin(), tableBytes.end());
  const std::size_t pointDataEnd = laz.size();
  Append(laz, las, layout.pointDataEnd, las.size());

  WriteLittleEndian(&laz[kVlrCount], static_cast<std::uint32_t>(vlrs.size() + 1));
  laz[kPointFormat] = static_cast<std::uint8_t>(layout.format | 0x80);
  const auto vlrBytes = static_cast<std::int64_t>(kVlrHeader + payload.size());
  MoveOffsets(laz, layout, vlrBytes,
              static_cast<std::int64_t>(pointDataEnd) - static_cast<std::int64_t>(layout.pointDataEnd));
  return laz;
}

CBytes MakeLas(int format, std::size_t recordLength, const CBytes& records) {
  const bool v14 = format >= 6;
  const std::size_t headerSize = v14 ? kHeader14 : kHeader12;
  const std::uint64_t count = records.size() / recordLength;
  CBytes las(headerSize);
  std::memcpy(las.data(), "LASF", 4);
  las[24] = 1;
  las[kVersionMinor] = v14 ? 4 : 2;
  WriteLittleEndian(&las[kHeaderSize], static_cast<std::uint16_t>(headerSize));
  WriteLittleEndian(&las[kPointDataOffset], static_cast<std::uint32_t>(headerSize));
  las[kPointFormat] = static_cast<std::uint8_t>(format);
  WriteLittleEndian(&las[kRecordLength], static_cast<std::uint16_t>(recordLength));
  if (!v14 && count <= 0xFFFFFFFFu) WriteLittleEndian(&las[kLegacyCount], static_cast<std::uint32_t>(count));
  for (std::size_t axis = 0; axis < 3; ++axis) WriteLittleEndian(&las[131 + 8 * axis], 0.01);
  if (v14) WriteLittleEndian(&las[kCount64], count);
  las.insert(las.end(), records.begin(), records.end());
  return las;
}
