#pragma once
// The integer arithmetic of LASzip's X and Y predictions, shared by the point coders of
// both versions (POINT10 and POINT14): sums and differences that wrap around as the
// coders compute them, and the running median of five differences.

#include <cstdint>

// 32-bit sums and products as the coders compute them, wrapping around (done in unsigned
// arithmetic, so that hostile values never overflow a signed type).
inline std::int32_t LazWrapAdd(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}
inline std::int32_t LazWrapSub(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}
inline std::int32_t LazWrapMul(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b));
}

// The median of the last five values added (all zero at the start). It keeps the five in
// order and replaces alternately from the low and the high end, as LASzip's coders do: the
// X and Y predictions depend on exactly this sequence.
class CLazMedianOfFive {
 public:
  void Reset() {
    for (std::int32_t& value : m_values) value = 0;
    m_high = true;
  }
  std::int32_t Get() const { return m_values[2]; }
  void Add(std::int32_t v) {
    std::int32_t* s = m_values;
    if (m_high) {
      if (v < s[2]) {
        s[4] = s[3];
        s[3] = s[2];
        if (v < s[0]) {
          s[2] = s[1];
          s[1] = s[0];
          s[0] = v;
        } else if (v < s[1]) {
          s[2] = s[1];
          s[1] = v;
        } else {
          s[2] = v;
        }
      } else {
        if (v < s[3]) {
          s[4] = s[3];
          s[3] = v;
        } else {
          s[4] = v;
        }
        m_high = false;
      }
    } else {
      if (s[2] < v) {
        s[0] = s[1];
        s[1] = s[2];
        if (s[4] < v) {
          s[2] = s[3];
          s[3] = s[4];
          s[4] = v;
        } else if (s[3] < v) {
          s[2] = s[3];
          s[3] = v;
        } else {
          s[2] = v;
        }
      } else {
        if (s[1] < v) {
          s[0] = s[1];
          s[1] = v;
        } else {
          s[0] = v;
        }
        m_high = true;
      }
    }
  }

 private:
  std::int32_t m_values[5] = {0, 0, 0, 0, 0};
  bool m_high = true;
};
