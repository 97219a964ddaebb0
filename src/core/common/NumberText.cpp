#include "core/common/NumberText.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "core/common/ClassicText.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// strtod (in the "C" locale) on a NUL-terminated copy of the text (the caller's text is
// not terminated).
const char* ParseSlow(const char* begin, const char* end, double& value) {
  constexpr std::size_t kMax = 5096;
  char copy[kMax + 1];
  const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(end - begin), kMax);
  std::memcpy(copy, begin, n);
  copy[n] = '\0';
  char* stop = nullptr;
  value = ClassicStrtod(copy, &stop);
  return begin + (stop - copy);
}

}  // namespace

const char* ParseNumber(const char* begin, const char* end, double& value) {
  const char* p = begin;
  while (p < end && IsClassicSpace(*p)) ++p;
  // The fast path takes only [-]digits[.digits] that ends at a character which cannot
  // continue a number for strtod; "+", hexadecimal, exponents, "inf"/"nan" and numbers
  // out of double range all go to strtod.
  const char* q = p;
  if (q < end && *q == '-') ++q;
  const char* digits = q;
  while (q < end && IsDigit(*q)) ++q;
  bool any = q > digits;
  if (q < end && *q == '.') {
    ++q;
    const char* fraction = q;
    while (q < end && IsDigit(*q)) ++q;
    any = any || q > fraction;
  }
  if (any && (q == end || (*q != 'e' && *q != 'E' && *q != 'x' && *q != 'X'))) {
    const auto [stop, ec] = std::from_chars(p, q, value, std::chars_format::fixed);
    if (ec == std::errc() && stop == q) return q;
  }
  return ParseSlow(begin, end, value);
}

// std::to_chars writes what printf writes in the "C" locale, "inf" and "nan" included,
// and kFixed2Capacity holds the longest such text.
std::size_t FormatFixed2(double value, char* out) {
  const auto [stop, ec] = std::to_chars(out, out + kFixed2Capacity, value, std::chars_format::fixed, 2);
  return ec == std::errc() ? static_cast<std::size_t>(stop - out) : 0;
}

double RoundFixed2ByText(double value) {
  char text[kFixed2Capacity];
  const std::size_t length = FormatFixed2(value, text);
  double rounded = 0;
  ParseNumber(text, text + length, rounded);
  return rounded;
}
