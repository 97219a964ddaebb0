#pragma once
// Random point records for the codec's round-trip checks, by point format: every field
// takes random values, and each field also takes the values that reach the rare paths of
// the coders (big jumps in X, Y and Z, every return number and number of returns, GPS
// times that jump, repeat and come back to earlier sequences, colours with equal channels,
// unchanged runs, extra bytes).

#include <cstddef>
#include <cstdint>
#include <vector>

// The bytes of a record of point `format` (0 to 3, 6 to 8) without extra bytes.
std::size_t LasFormatLength(int format);

// `count` records of point `format` followed by `extraBytes` extra bytes each, from
// `seed`.
std::vector<std::uint8_t> RandomRecords(int format, std::size_t extraBytes, std::size_t count, std::uint64_t seed);
