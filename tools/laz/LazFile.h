#pragma once
// Whole LAS and LAZ files in memory, for the codec's tests, its tool and its bench (the
// LAS handler streams its own): LAZ to LAS, LAS to LAZ with a chosen chunk size, and the
// point records of either. Everything but the point data is kept: the header (its point
// format's compression bits set or cleared, its offsets moved), the VLRs (the LASzip one
// added or removed), the bytes between the VLRs and the points, and the EVLRs.
// Throws CLazError on a LAZ file the codec cannot read, std::runtime_error on a LAS file
// these functions cannot handle.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/laz/LazVlr.h"

using CBytes = std::vector<std::uint8_t>;

// What the header of a LAS or LAZ file says about its points.
struct CLasLayout {
  int versionMinor = 0;
  int format = 0;           // without the compression bits
  bool compressed = false;  // bit 7 or 6 of the point format
  std::size_t recordLength = 0;
  std::uint64_t pointCount = 0;
  std::uint64_t pointDataOffset = 0;
  std::uint64_t pointDataEnd = 0;  // where the EVLRs start, or the end of the file
};
CLasLayout ReadLasLayout(const CBytes& file);

// The LASzip record of a LAZ file (CLazError when it has none).
CLazVlr FindLazVlr(const CBytes& file);

// The point records of a LAZ file, decoded chunk by chunk.
CBytes DecodeLazRecords(const CBytes& laz);
// The LAS file of a LAZ file.
CBytes LazToLas(const CBytes& laz);

// The LAZ file of a LAS file (point formats 0 to 3 and 6 to 8, with extra bytes), its
// chunks of `chunkSize` points; with CLazVlr::kVariableChunks the chunks take their sizes
// from `variableSizes` in turn (repeated as needed).
CBytes LasToLaz(const CBytes& las, std::uint32_t chunkSize = CLazVlr::kDefaultChunkSize,
                const std::vector<std::uint32_t>& variableSizes = {});

// A LAS file of `records` in point `format` (LAS 1.2, or 1.4 for formats 6 and above),
// for tests: a plain header, no VLRs.
CBytes MakeLas(int format, std::size_t recordLength, const CBytes& records);
