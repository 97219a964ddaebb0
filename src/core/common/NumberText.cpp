#include "core/common/NumberText.h"

#include <locale.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include "core/common/TextLine.h"

namespace {

// The "C" locale as an object for the *_l functions. POSIX guarantees that it exists,
// and glibc hands out a static object for it, so there is nothing to free.
locale_t CLocale() {
  static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return locale;
}

// std::to_chars with a precision formats as printf does in the "C" locale.
std::string ToChars(double value, std::chars_format format, int precision, std::size_t capacity) {
  std::string text(capacity, '\0');
  const auto [stop, ec] = std::to_chars(text.data(), text.data() + text.size(), value, format, precision);
  text.resize(ec == std::errc() ? static_cast<std::size_t>(stop - text.data()) : 0);
  return text;
}

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

double ClassicStrtod(const char* text, char** end) { return strtod_l(text, end, CLocale()); }

float ClassicStrtof(const char* text, char** end) { return strtof_l(text, end, CLocale()); }

long long ClassicStrtoll(const char* text, char** end, int base) { return strtoll_l(text, end, base, CLocale()); }

double ClassicAtof(const char* text) { return ClassicStrtod(text, nullptr); }

// As glibc's atoi: strtol's long cast to int.
int ClassicAtoi(const char* text) { return static_cast<int>(strtol_l(text, nullptr, 10, CLocale())); }

std::string ClassicFixed(double value, int decimals) {
  // The largest finite double has 309 integer digits; a sign and a point come on top.
  constexpr std::size_t kIntegerPart = 312;
  const int precision = decimals < 0 ? 6 : decimals;
  return ToChars(value, std::chars_format::fixed, precision, kIntegerPart + static_cast<std::size_t>(precision));
}

std::string ClassicGeneral(double value, int precision) {
  // Sign, point and an exponent such as "e-308" come on top of the digits.
  constexpr std::size_t kBeyondDigits = 16;
  const int digits = precision < 0 ? 6 : precision;
  return ToChars(value, std::chars_format::general, digits, kBeyondDigits + static_cast<std::size_t>(digits));
}

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

bool IsNumberText(const std::string& text) {
  const std::string_view trimmed = Trim(text);
  const auto dots = std::count(trimmed.begin(), trimmed.end(), '.');
  const auto minuses = std::count(trimmed.begin(), trimmed.end(), '-');
  if (trimmed.empty() || dots >= 2 || minuses >= 2) return false;
  if (minuses == 1 && trimmed.front() != '-') return false;
  return trimmed.find_first_not_of("1234567890.-") == std::string_view::npos;
}

double TextToDouble(const std::string& text) { return ClassicAtof(text.c_str()); }

std::optional<int> ParseWholeInteger(std::string_view text) {
  const std::string trimmed(Trim(text));
  if (trimmed.empty()) return std::nullopt;
  char* end = nullptr;
  errno = 0;
  const long long value = ClassicStrtoll(trimmed.c_str(), &end, 10);
  if (*end != '\0' || errno == ERANGE || value < INT_MIN || value > INT_MAX) return std::nullopt;
  return static_cast<int>(value);
}

std::optional<double> ParseWholeNumber(std::string_view text) {
  const std::string_view trimmed = Trim(text);
  double value = 0;
  const char* end = trimmed.data() + trimmed.size();
  if (trimmed.empty() || ParseNumber(trimmed.data(), end, value) != end || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::string ClassicStrerror(int error) { return strerror_l(error, CLocale()); }
