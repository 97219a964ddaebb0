// The "C" locale conversions answer what the C library answers in the "C" locale, also
// while the process runs under a locale whose decimal separator is a comma.

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "common/ClassicText.h"
#include "support/TestSupport.h"

namespace {

// One reading of a text: the value's bits, the characters consumed and errno.
struct CReading {
  double value;
  float single;
  long long integer;
  std::ptrdiff_t consumed, singleConsumed, integerConsumed;
  int error;

  bool operator==(const CReading& o) const {
    return std::memcmp(&value, &o.value, sizeof value) == 0 && std::memcmp(&single, &o.single, sizeof single) == 0 &&
           integer == o.integer && consumed == o.consumed && singleConsumed == o.singleConsumed &&
           integerConsumed == o.integerConsumed && error == o.error;
  }
};

void PrintTo(const CReading& r, std::ostream* os) {
  *os << r.value << " (" << r.consumed << "), " << r.single << " (" << r.singleConsumed << "), " << r.integer << " ("
      << r.integerConsumed << "), errno " << r.error;
}

template <typename Double, typename Float, typename Integer>
CReading Read(const char* text, Double toDouble, Float toFloat, Integer toInteger) {
  CReading r{};
  char* end = nullptr;
  errno = 0;
  r.value = toDouble(text, &end);
  r.consumed = end - text;
  r.single = toFloat(text, &end);
  r.singleConsumed = end - text;
  r.integer = toInteger(text, &end, 10);
  r.integerConsumed = end - text;
  r.error = errno;
  return r;
}

const char* const kTexts[] = {
    "151.45", "+12.00", "1.2e1", " \t-0.5x", "0x1.8p3", "inf", "-nan", "NaN(7)", "1e400", "-1e400",
    "1e-400", "1,5",    "0,5",   ".",        "-.",      "",    "abc",  "1e",     "12 34", "99999999999999999999",
    "-42"};

}  // namespace

TEST(ClassicText, ReadsAsTheCLibraryInTheCLocaleWhateverTheProcessLocale) {
  std::vector<CReading> expected;
  std::vector<double> atofs;
  std::vector<int> atois;
  {
    const CClassicThreadLocale classic;
    for (const char* text : kTexts) {
      expected.push_back(Read(text, std::strtod, std::strtof, std::strtoll));
      atofs.push_back(std::atof(text));
      atois.push_back(std::atoi(text));
    }
  }
  for (const char* locale : {"C", kCommaLocale}) {
    const CScopedLocale scoped(locale);
    for (std::size_t i = 0; i < std::size(kTexts); ++i) {
      const char* text = kTexts[i];
      EXPECT_EQ(Read(text, ClassicStrtod, ClassicStrtof, ClassicStrtoll), expected[i])
          << locale << " \"" << text << '"';
      const double atof = ClassicAtof(text);
      EXPECT_EQ(std::memcmp(&atof, &atofs[i], sizeof atof), 0) << locale << " \"" << text << '"';
      EXPECT_EQ(ClassicAtoi(text), atois[i]) << locale << " \"" << text << '"';
    }
  }
  // The comma locale really is in force for the C library: its strtod stops at the point.
  const CScopedLocale comma(kCommaLocale);
  EXPECT_EQ(std::strtod("0.5", nullptr), 0.0);
}

TEST(ClassicText, WritesAsPrintfInTheCLocaleWhateverTheProcessLocale) {
  const double values[] = {0.5,
                           -0.0,
                           0.125,
                           2.675,
                           -0.005,
                           151.45,
                           1e300,
                           -std::numeric_limits<double>::max(),
                           std::numeric_limits<double>::denorm_min(),
                           1e-5,
                           123456789012345678.0,
                           std::numeric_limits<double>::infinity(),
                           -std::numeric_limits<double>::infinity(),
                           std::nan(""),
                           -std::nan("")};
  const int precisions[] = {0, 2, 5, 10, 15, 17};
  std::vector<std::string> fixed, general;
  {
    const CClassicThreadLocale classic;
    char text[512];
    for (const double value : values) {
      for (const int precision : precisions) {
        std::snprintf(text, sizeof text, "%.*f", precision, value);
        fixed.push_back(text);
        std::snprintf(text, sizeof text, "%.*g", precision, value);
        general.push_back(text);
      }
    }
  }
  const CScopedLocale comma(kCommaLocale);
  std::size_t i = 0;
  for (const double value : values) {
    for (const int precision : precisions) {
      EXPECT_EQ(ClassicFixed(value, precision), fixed[i]) << value << " %." << precision << "f";
      EXPECT_EQ(ClassicGeneral(value, precision), general[i]) << value << " %." << precision << "g";
      ++i;
    }
  }
}

TEST(ClassicText, DatesInTheCLocaleWordsWhateverTheProcessLocale) {
  std::tm time{};
  time.tm_year = 2014 - 1900, time.tm_mon = 2, time.tm_mday = 24, time.tm_wday = 1, time.tm_yday = 82;
  time.tm_hour = 9, time.tm_min = 5;
  const CScopedLocale comma(kCommaLocale);
  EXPECT_EQ(ClassicStrftime("%c", time), "Mon Mar 24 09:05:00 2014");
  EXPECT_EQ(ClassicStrftime("%d/%m/%Y %H:%M", time), "24/03/2014 09:05");
  EXPECT_EQ(ClassicStrftime("%A %B", time), "Monday March");
}
