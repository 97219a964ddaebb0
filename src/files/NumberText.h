#pragma once
// Number reading and writing for the text survey formats. Both give exactly what the C
// library gives (strtod in the "C" locale, printf "%.2f"); the common plain decimal
// forms take a faster path through std::from_chars and std::to_chars, which round
// correctly just as glibc does, and everything else goes to strtod itself.

#include <cstddef>

// Reads a number from [begin, end) as strtod would from the same text followed by a NUL
// (leading white space skipped; sign, decimal point, exponent, "inf" and "nan"
// accepted). Returns the position after the number, or `begin` when there is none
// (value then 0).
const char* ParseNumber(const char* begin, const char* end, double& value);

// The largest text FormatFixed2 writes ("%.2f" of the largest double, sign included).
constexpr std::size_t kFixed2Capacity = 330;

// Writes "%.2f" of `value` to `out` (at least kFixed2Capacity bytes); returns the length.
std::size_t FormatFixed2(double value, char* out);
