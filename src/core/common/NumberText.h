#pragma once
// Numbers as text and back, giving the "C" locale's bytes whatever the process locale
// is. A program that calls setlocale(LC_ALL, "") (as QApplication does) under a
// comma-decimal locale must still read "151.45" as 151.45 and write "0.50", never
// "0,50": survey files, output names and logs go to other programs and machines. The
// Classic* functions are their C library namesakes with the "C" locale passed
// explicitly (the POSIX *_l forms) or std::to_chars, which formats exactly as printf
// does in the "C" locale. ParseNumber and FormatFixed2, which every record of a text
// survey file goes through, take a faster path through std::from_chars and
// std::to_chars for the common plain decimal forms (they round correctly, as glibc
// does) and hand everything else to strtod. No global or per-thread locale is changed.

#include <cmath>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// strtod, strtof and strtoll in the "C" locale (hexadecimal, "inf", "nan", a leading
// "+", ERANGE and the huge or tiny results out of range all as the C library does).
double ClassicStrtod(const char* text, char** end);
float ClassicStrtof(const char* text, char** end);
long long ClassicStrtoll(const char* text, char** end, int base);

// atof and atoi in the "C" locale: the leading numeric part, 0 when there is none.
double ClassicAtof(const char* text);
int ClassicAtoi(const char* text);

// printf "%.<decimals>f" and "%.<precision>g" of `value` in the "C" locale, as long
// as the text needs ("%.2f" of 1e300 is over 300 characters).
std::string ClassicFixed(double value, int decimals);
std::string ClassicGeneral(double value, int precision);

// strerror in the "C" locale: the system's reason in English, as the rest of every
// message is, whatever language the process locale would give it.
std::string ClassicStrerror(int error);

// Reads a number from [begin, end) as strtod would from the same text followed by a NUL
// (leading white space skipped; sign, decimal point, exponent, "inf" and "nan"
// accepted). Returns the position after the number, or `begin` when there is none
// (value then 0).
const char* ParseNumber(const char* begin, const char* end, double& value);

// The largest text FormatFixed2 writes ("%.2f" of the largest double, sign included).
constexpr std::size_t kFixed2Capacity = 330;

// Writes "%.2f" of `value` to `out` (at least kFixed2Capacity bytes); returns the length.
std::size_t FormatFixed2(double value, char* out);

// RoundFixed2 through the text itself: "%.2f" written, then read back.
double RoundFixed2ByText(double value);

// The double that the "%.2f" text of `value` reads back as (value rounded to the nearest
// hundredth exactly as printf rounds it, then to the nearest double as strtod does).
// Plain magnitudes are worked out arithmetically; the rest go through the text.
inline double RoundFixed2(double value) {
  // printf writes the integer n nearest to the exact product value * 100 (ties to even)
  // as "n/100", and strtod reads that back as the double nearest to n / 100, which is
  // what the correctly rounded division n / 100.0 gives (n and 100 are exact). So only
  // n needs finding. t = value * 100 is the product rounded; for |t| < 2^31 its ulp u is
  // at most 2^-22, and the nearest integer of t is n unless t lies exactly half-way
  // between two integers (an integer distance r = t - n below 1/2 is at most 1/2 - u,
  // and the rounding error of t at most u/2). At such a half-way t, the exact product's
  // remainder (Dekker's two-product, exact as 100 needs only 7 bits) tells which side
  // the exact product lies on; none at all is a true tie, and the even n stands.
  constexpr double kLimit = 2147483648.0;                // 2^31
  constexpr double kRoundingShift = 6755399441055744.0;  // 1.5 * 2^52: adding it rounds to an integer
  constexpr double kSplitter = 134217729.0;              // 2^27 + 1
  const double t = value * 100.0;
  if (!(std::fabs(t) < kLimit)) return RoundFixed2ByText(value);
  double n = (t + kRoundingShift) - kRoundingShift;  // nearest, ties to even
  if (std::fabs(t - n) == 0.5) {
    const double c = kSplitter * value;
    const double high = c - (c - value);
    const double low = value - high;
    const double remainder = (high * 100.0 - t) + low * 100.0;
    if (remainder > 0) n = t + 0.5;
    if (remainder < 0) n = t - 0.5;
  }
  // A zero keeps the sign printf writes ("-0.00" for a small negative value).
  return n == 0 ? std::copysign(0.0, value) : n / 100.0;
}

// Whether an edit text may be converted to a number: after trimming white space it
// is made only of "1234567890.-", with at most one "." and at most one "-", the "-"
// only in front. "12.5", "-3", "-", "." and "-." pass; "", "1e3", "+2", "2-" fail.
bool IsNumberText(const std::string& text);

// The C library's text-to-double conversion of the leading numeric part (atof in the
// "C" locale): 0 when there is none.
double TextToDouble(const std::string& text);

// A whole text (white space around it allowed) as a 32-bit integer in decimal, or as a
// finite number as strtod reads it; none when anything else is there or the value is
// out of range.
std::optional<int> ParseWholeInteger(std::string_view text);
std::optional<double> ParseWholeNumber(std::string_view text);
