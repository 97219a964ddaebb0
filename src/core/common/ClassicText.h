#pragma once
// Conversions between numbers (and times) and text that give the "C" locale's bytes
// whatever the process locale is. A program that calls setlocale(LC_ALL, "") (as
// QApplication does) under a comma-decimal locale must still read "151.45" as 151.45
// and write "0.50", never "0,50": survey files, output names and logs go to other
// programs and machines. Each function is its C library namesake with the "C" locale
// passed explicitly (the POSIX *_l forms) or std::to_chars, which formats exactly as
// printf does in the "C" locale. No global or per-thread locale is changed.

#include <ctime>
#include <string>

// isspace in the "C" locale: blank, tab, line feed, carriage return, vertical tab and
// form feed (a locale may count more bytes, such as 0xA0 in ISO 8859 locales).
inline bool IsClassicSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

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

// strftime in the "C" locale ("%c" gives "Tue Mar 24 09:05:00 2014"); "" when the text
// would exceed 255 bytes.
std::string ClassicStrftime(const char* format, const std::tm& time);
// ClassicStrftime of the local date and time now.
std::string ClassicLocalTime(const char* format);
