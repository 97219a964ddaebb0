// The "C" locale conversions answer what the C library answers in the "C" locale, also
// while the process runs under a locale whose decimal separator is a comma.

#include <gtest/gtest.h>

#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "core/common/ClassicText.h"
#include "support/TestSupport.h"

namespace {

// Every reading of `text` (value bits and characters consumed, errno last), through
// ClassicText or through the C library in this thread's locale.
std::string Readings(const char* text, bool classic) {
  std::string r;
  const auto add = [&r](auto number) { (r += std::to_string(number)) += ' '; };
  char* end = nullptr;
  errno = 0;
  add(std::bit_cast<std::uint64_t>(classic ? ClassicStrtod(text, &end) : std::strtod(text, &end)));
  add(end - text);
  add(std::bit_cast<std::uint32_t>(classic ? ClassicStrtof(text, &end) : std::strtof(text, &end)));
  add(end - text);
  add(classic ? ClassicStrtoll(text, &end, 10) : std::strtoll(text, &end, 10));
  add(end - text);
  add(std::bit_cast<std::uint64_t>(classic ? ClassicAtof(text) : std::atof(text)));
  add(classic ? ClassicAtoi(text) : std::atoi(text));
  add(errno);
  return r;
}

}  // namespace

TEST(ClassicText, ReadsAsTheCLibraryInTheCLocaleWhateverTheProcessLocale) {
  const char* const texts[] = {"151.45",
                               "+12.00",
                               "1.2e1",
                               " \t-0.5x",
                               "0x1.8p3",
                               "inf",
                               "-nan",
                               "NaN(7)",
                               "1e400",
                               "-1e400",
                               "1e-400",
                               "1,5",
                               "0,5",
                               ".",
                               "",
                               "abc",
                               "1e",
                               "12 34",
                               "99999999999999999999",
                               "-42"};
  std::vector<std::string> expected;
  {
    const CClassicThreadLocale classic;
    for (const char* text : texts) expected.push_back(Readings(text, false));
  }
  const CScopedLocale comma(kCommaLocale);
  EXPECT_EQ(std::strtod("0.5", nullptr), 0.0);  // the comma locale is in force for the C library
  for (std::size_t i = 0; i < std::size(texts); ++i) EXPECT_EQ(Readings(texts[i], true), expected[i]) << texts[i];
}

TEST(ClassicText, WritesAsPrintfInTheCLocaleWhateverTheProcessLocale) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  const double values[] = {0.5,
                           -0.0,
                           0.125,
                           2.675,
                           -0.005,
                           151.45,
                           1e300,
                           -std::numeric_limits<double>::max(),
                           1e-5,
                           123456789012345678.0,
                           std::numeric_limits<double>::denorm_min(),
                           kInf,
                           -kInf,
                           std::nan(""),
                           -std::nan("")};
  std::vector<std::string> expected;
  {
    const CClassicThreadLocale classic;
    char text[512];
    for (const double value : values) {
      for (const int precision : {0, 2, 5, 10, 15, 17}) {
        std::snprintf(text, sizeof text, "%.*f %.*g", precision, value, precision, value);
        expected.push_back(text);
      }
    }
  }
  const CScopedLocale comma(kCommaLocale);
  std::size_t i = 0;
  for (const double value : values) {
    for (const int precision : {0, 2, 5, 10, 15, 17})
      EXPECT_EQ(ClassicFixed(value, precision) + " " + ClassicGeneral(value, precision), expected[i++])
          << value << " with " << precision << " digits";
  }
}

TEST(ClassicText, DatesInTheCLocaleWordsWhateverTheProcessLocale) {
  std::tm time{};
  time.tm_year = 2014 - 1900, time.tm_mon = 2, time.tm_mday = 24, time.tm_wday = 1, time.tm_yday = 82;
  time.tm_hour = 9, time.tm_min = 5;
  const CScopedLocale comma(kCommaLocale);
  EXPECT_EQ(ClassicStrftime("%c", time), "Mon Mar 24 09:05:00 2014");
  EXPECT_EQ(ClassicStrftime("%d/%m/%Y %H:%M", time), "24/03/2014 09:05");
}
