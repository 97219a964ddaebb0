#pragma once
// What a run of LAS point records holds, as an output's header must describe it: the
// smallest and largest stored X, Y and Z integers, and how many records carry each
// return number. Gathered during the record pass, a piece of records at a time (one
// summary per output and thread, merged at the end), so it is small, allocates nothing
// and keeps the raw integers: the header's coordinates are derived from them once.

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>

class CLasRecordSummary {
 public:
  // The byte of a record that holds its return number: bits 0-2 in point formats 0 to 5,
  // bits 0-3 in formats 6 to 10.
  static constexpr std::size_t kReturnByte = 14;

  // Adds those of `count` consecutive records of `recordLength` bytes (at least 12: X,
  // Y, Z as stored) whose entry in `flags` is `flag`. A record too short to hold the
  // return byte has no return number and is not counted by one. (A run of records at a
  // time, so that the extremes stay in registers.)
  void Add(const char* records, std::size_t count, std::size_t recordLength, const unsigned char* flags,
           unsigned char flag);

  // Takes in what `other` gathered, as if its records had been added here.
  void Merge(const CLasRecordSummary& other);

  std::uint64_t Records() const { return m_records; }
  // Stored integers of an axis (0 X, 1 Y, 2 Z); only meaningful when Records() > 0.
  std::int32_t Min(int axis) const { return m_min[axis]; }
  std::int32_t Max(int axis) const { return m_max[axis]; }
  // Records whose return number, read from the low `bits` (3 or 4) bits of the return
  // byte, is `number` (1 to 7, or 1 to 15); 0 for any other number.
  std::uint64_t Returns(int number, int bits) const;

 private:
  std::array<std::int32_t, 3> m_min{std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::max(),
                                    std::numeric_limits<std::int32_t>::max()};
  std::array<std::int32_t, 3> m_max{std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::min(),
                                    std::numeric_limits<std::int32_t>::min()};
  // Records by the low four bits of the return byte: enough for both layouts, so the
  // record pass need not know the point format.
  std::array<std::uint64_t, 16> m_lowNibbles{};
  std::uint64_t m_records = 0;
};
