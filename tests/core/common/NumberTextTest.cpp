// Numbers as text: the "C" locale conversions answer what the C library answers in the
// "C" locale, also while the process runs under a locale whose decimal separator is a
// comma; the fast reading and writing give exactly what strtod and "%.2f" give; the edit
// box and whole-text checks accept what they say.

#include <gtest/gtest.h>

#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "core/common/NumberText.h"
#include "support/TestSupport.h"

namespace {

void ExpectLikeStrtod(const std::string& text) {
  char* stop = nullptr;
  double expected;
  {
    const CClassicThreadLocale classic;
    expected = std::strtod(text.c_str(), &stop);
  }
  double value = -1;
  const char* end = ParseNumber(text.data(), text.data() + text.size(), value);
  EXPECT_EQ(end - text.data(), stop - text.c_str()) << '"' << text << '"';
  if (expected == expected) {
    EXPECT_EQ(std::memcmp(&value, &expected, sizeof value), 0) << '"' << text << '"';
  } else {
    EXPECT_NE(value, value) << '"' << text << '"';
  }
}

void ExpectLikePrintf(double value) {
  char expected[400], actual[kFixed2Capacity];
  {
    const CClassicThreadLocale classic;
    std::snprintf(expected, sizeof expected, "%.2f", value);
  }
  const std::size_t length = FormatFixed2(value, actual);
  EXPECT_EQ(std::string(actual, length), expected) << value;
}

// Every reading of `text` (value bits and characters consumed, errno last), through
// the Classic functions or through the C library in this thread's locale.
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

TEST(NumberTextTest, ParsesExactlyAsStrtod) {
  for (
      const char* text :
      {"12.5",
       "-3",
       "0",
       "-0",
       "5.",
       ".5",
       "-.5",
       "-",
       ".",
       "-.",
       "",
       " \t12 x",
       "\r\n7",
       "1e5",
       "1E-3",
       "1e",
       "1e+",
       "2e3x",
       "0x1p3",
       "0x",
       "+1.5",
       "+",
       "inf",
       "-infinity",
       "nan",
       "NaN(12)",
       "1.2.3",
       "00012.500",
       "1,5",
       "7\r",
       "1e400",
       "-1e400",
       "1e-400",
       "4.9e-324",
       "2.2250738585072011e-308",
       "153.0235,-27.4701",
       "179769313486231570000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
       "000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
       "000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
       "000000000.0",
       "0.000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
       "000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
       "00000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
       "1",
       "9007199254740993",
       "0.1000000000000000055511151231257827021181583404541015625"}) {
    ExpectLikeStrtod(text);
  }
  std::mt19937_64 rng(11);
  std::uniform_int_distribution<int> digits(1, 20), digit(0, 9), sign(0, 1);
  for (int n = 0; n < 20000; ++n) {
    std::string text = sign(rng) ? "-" : "";
    for (int k = digits(rng); k > 0; --k) text += static_cast<char>('0' + digit(rng));
    text += '.';
    for (int k = digits(rng); k > 0; --k) text += static_cast<char>('0' + digit(rng));
    ExpectLikeStrtod(text + " ");
  }
}

TEST(NumberTextTest, FormatsExactlyAsPrintf) {
  for (const double value :
       {0.0, -0.0, 0.125, 0.375, -0.125, 2.675, 1.005, 0.29, -0.29, 1e15 + 0.5, 1e22, -1e300,
        std::numeric_limits<double>::max(), std::numeric_limits<double>::denorm_min(), -0.004, -0.005, 0.005}) {
    ExpectLikePrintf(value);
  }
  std::mt19937_64 rng(12);
  std::uniform_real_distribution<double> depth(-500.0, 500.0);
  for (int n = 0; n < 20000; ++n) {
    ExpectLikePrintf(depth(rng));
    ExpectLikePrintf(std::round(depth(rng) * 1000) / 1000);  // values with 3 decimals hit the halves
  }
}

// RoundFixed2 answers without text what reading back the "%.2f" text gives; the cases
// it must get right are the half-hundredths, exact in binary or a hair to either side.
TEST(NumberTextTest, RoundsAsThePrintedTextReadsBack) {
  const auto expectRoundTrip = [](double value) {
    char text[400];
    std::snprintf(text, sizeof text, "%.2f", value);
    const double expected = std::strtod(text, nullptr);
    const double actual = RoundFixed2(value);
    EXPECT_EQ(std::memcmp(&actual, &expected, sizeof actual), 0) << value << " printed " << text;
  };
  // Exact binary ties go to the even hundredth; "-0.00" keeps its sign.
  for (const double value : {0.125,
                             -0.125,
                             0.375,
                             2.625,
                             -1.875,
                             0.005,
                             1.005,
                             -0.001,
                             -0.0,
                             0.0,
                             1e-300,
                             -1e-300,
                             21474836.47,
                             -21474836.48,
                             21474836.475,
                             1e12,
                             -3.5e15,
                             1e300,
                             std::numeric_limits<double>::denorm_min(),
                             std::numeric_limits<double>::max()})
    expectRoundTrip(value);
  std::mt19937_64 rng(11);
  // Millimetre values (scaled LAS heights) put every tenth product near a half-hundredth.
  std::uniform_int_distribution<long long> millimetres(-50'000'000, 50'000'000);
  std::uniform_real_distribution<double> offset(-100.0, 100.0);
  for (int i = 0; i < 200'000; ++i) {
    const long long mm = millimetres(rng);
    expectRoundTrip(mm * 0.001);
    expectRoundTrip(mm * 0.001 + 0.5);
    expectRoundTrip(mm * 0.001 + offset(rng));
    expectRoundTrip(std::nextafter(mm * 0.001, 1e9));
    expectRoundTrip(std::nextafter(mm * 0.001, -1e9));
    expectRoundTrip((mm + 0.5) / 100.0);
  }
  // Any bit pattern of a finite double.
  std::uniform_int_distribution<std::uint64_t> bits;
  for (int i = 0; i < 200'000; ++i) {
    const std::uint64_t b = bits(rng);
    double value;
    std::memcpy(&value, &b, sizeof value);
    if (std::isfinite(value)) expectRoundTrip(value);
  }
}

TEST(NumberTextTest, ClassicReadsAsTheCLibraryInTheCLocaleWhateverTheProcessLocale) {
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

TEST(NumberTextTest, ClassicWritesAsPrintfInTheCLocaleWhateverTheProcessLocale) {
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

TEST(NumberTextTest, IsNumberTextAcceptsPlainDecimalsAndLoneSigns) {
  for (const char* text : {"12.5", "-3", "0", "-", ".", "-.", "  7.25\t", "-0.5", "5."})
    EXPECT_TRUE(IsNumberText(text)) << '"' << text << '"';
}

TEST(NumberTextTest, IsNumberTextRefusesEverythingElse) {
  for (const char* text : {"", "   ", "1e3", "+2", "1.2.3", "--1", "2-", "1 2", "12abc", "abc", "-1-", "1,5"})
    EXPECT_FALSE(IsNumberText(text)) << '"' << text << '"';
}

TEST(NumberTextTest, TextToDoubleTakesTheLeadingNumericPart) {
  EXPECT_DOUBLE_EQ(TextToDouble("-"), 0.0);
  EXPECT_DOUBLE_EQ(TextToDouble("."), 0.0);
  EXPECT_DOUBLE_EQ(TextToDouble("12.5"), 12.5);
  EXPECT_DOUBLE_EQ(TextToDouble(" -3.25xyz"), -3.25);
}

TEST(NumberTextTest, WholeTextsAreOneIntegerOrOneFiniteNumber) {
  EXPECT_EQ(ParseWholeInteger(" 7\t"), 7);
  EXPECT_EQ(ParseWholeInteger("-2147483648"), -2147483647 - 1);
  for (const char* text : {"", " ", "x", "1.5", "7 8", "2147483648", "99999999999", "0x10"})
    EXPECT_EQ(ParseWholeInteger(text), std::nullopt) << '"' << text << '"';
  EXPECT_EQ(ParseWholeNumber(" 1e-7 "), 1e-7);
  EXPECT_EQ(ParseWholeNumber("60"), 60.0);
  for (const char* text : {"", "sixty", "60s", "inf", "nan", "1e400"})
    EXPECT_EQ(ParseWholeNumber(text), std::nullopt) << '"' << text << '"';
}
