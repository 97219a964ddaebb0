#pragma once
// The separation a file's transformation applied: for every value carried over, what
// was added to it (metres, in the batch's sign convention: the new value minus the old
// one before its rounding), summed up as the least, the greatest and the mean. A value
// carried over that its output then cannot hold (beyond the range of a LAS file's or a
// raster's stored type, so written to the excluded output) counts all the same.
//
// Gathered in the per-point path, by each thread for the points it transforms and
// merged at the end. The sum is kept in fixed point (steps of 2^-32 m, in 128 bits), so
// that it is exact: the mean is the same whatever order the points came in and however
// the threads shared them. A value too large for a step count of 64 bits (beyond 2^31
// m, only from a nonsensical block shift) is summed in floating point instead.

#include <cmath>
#include <cstdint>
#include <limits>

class CSeparationStats {
 public:
  void Add(double metres) {
    if (metres < m_min) m_min = metres;
    if (metres > m_max) m_max = metres;
    ++m_count;
    if (std::fabs(metres) < kFixedLimit)
      m_steps += static_cast<std::int64_t>(metres * kStepsPerMetre);  // truncated: under a step per value
    else
      m_wideSum += metres;
  }

  // Takes in what `other` gathered, as if its values had been added here.
  void Merge(const CSeparationStats& other);

  // How many values were added; the three figures below mean something only when > 0.
  std::uint64_t Count() const { return m_count; }
  double Min() const { return m_min; }
  double Max() const { return m_max; }
  double Mean() const;

 private:
  static constexpr double kStepsPerMetre = 4294967296.0;  // 2^32
  static constexpr double kFixedLimit = 2147483648.0;     // 2^31 m: steps fit in 63 bits

  double m_min = std::numeric_limits<double>::infinity();
  double m_max = -std::numeric_limits<double>::infinity();
  std::uint64_t m_count = 0;
  __extension__ __int128 m_steps = 0;
  double m_wideSum = 0;
};
