#include "core/common/ClassicText.h"

#include <locale.h>

#include <charconv>
#include <cstdlib>
#include <system_error>

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

std::string ClassicStrftime(const char* format, const std::tm& time) {
  char buffer[256];
  const std::size_t length = strftime_l(buffer, sizeof buffer, format, &time, CLocale());
  return std::string(buffer, length);
}

std::string ClassicLocalTime(const char* format) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return ClassicStrftime(format, local);
}
