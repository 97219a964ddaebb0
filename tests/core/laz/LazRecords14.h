#pragma once
// LAS 1.4 point records (formats 6, 7, 8 and extra bytes) made up for the layered codec's
// checks. Each chunk takes one of three characters: a survey-like pulse train (returns 1..n,
// small steps, regular GPS times with repeats, jumps and returns to earlier time bases), wild
// bytes (every field random, every return combination and scanner channel, odd GPS times such
// as -0 and NaN), or a channel-hopping mix; and in each chunk every field that has a layer of
// its own is, by chance, held at the chunk's first value, so that its layer stays empty.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/laz/LazItem.h"

struct CRecords14 {
  int format = 6;
  std::size_t extraBytes = 0;
  std::size_t recordLength = 30;
  std::vector<std::size_t> chunkSizes;  // points per chunk, in order
  std::vector<std::uint8_t> bytes;      // every record, chunk after chunk
};

// `count` records in chunks of the sizes `chunkPattern` repeats, from `seed`; with
// `surveyOnly`, every chunk a survey-like pulse train and no field held (as a benchmark wants).
CRecords14 MakeRecords14(int format, std::size_t extraBytes, std::size_t count,
                         const std::vector<std::size_t>& chunkPattern, std::uint64_t seed, bool surveyOnly = false);

// The LASzip item list of a format 6, 7 or 8 record with `extraBytes` extra bytes (as LASzip
// writes it).
std::vector<CLazItem> Items14(int format, std::size_t extraBytes);
