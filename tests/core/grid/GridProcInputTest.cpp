// Reading the lines of a text grid: the job's own number reader must accept exactly
// the data lines that the format "%lf %lf %f ... %f" accepts, with the same values, and
// refuse numbers that are not finite.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "core/grid/GridProc.h"
#include "support/TestSupport.h"

namespace {

constexpr const char* kFormat = "%lf %lf %f %f %f %f %f %f %f %f %f %f %f %f %f %f";

struct CParsed {
  bool ok = false;
  double lat = 0, lon = 0;
  float v[14] = {};
};

// scanf in the "C" locale, which the job reads like whatever the process locale is.
CParsed WithScanf(const std::string& line) {
  const CClassicThreadLocale classic;
  CParsed p;
  float* v = p.v;
  const int n = std::sscanf(line.c_str(), kFormat, &p.lat, &p.lon, v, v + 1, v + 2, v + 3, v + 4, v + 5, v + 6, v + 7,
                            v + 8, v + 9, v + 10, v + 11, v + 12, v + 13);
  p.ok = n == 16 && std::isfinite(p.lat) && std::isfinite(p.lon);
  for (float x : p.v) p.ok = p.ok && std::isfinite(x);
  return p;
}

CParsed WithJob(const std::string& line) {
  CParsed p;
  p.ok = CGridProc::ParseDataLine(line.c_str(), p.lat, p.lon, p.v);
  return p;
}

void ExpectSame(const std::string& line) {
  SCOPED_TRACE(line);
  const CParsed expected = WithScanf(line);
  const CParsed actual = WithJob(line);
  ASSERT_EQ(actual.ok, expected.ok);
  if (!expected.ok) return;
  EXPECT_EQ(actual.lat, expected.lat);
  EXPECT_EQ(actual.lon, expected.lon);
  for (int k = 0; k < 14; ++k) EXPECT_EQ(actual.v[k], expected.v[k]) << "surface " << k;
}

// The first two numbers as given, then fourteen plain surface values.
std::string WithTail(const char* head, const char* after = "") {
  std::string line(head);
  line.append(" 1 2 3 4 5 6 7 8 9 10 11 12 13 14");
  line.append(after);
  return line;
}

TEST(GridTextLine, AcceptsWhatTheScanFormatAccepts) {
  for (const std::string& line : std::vector<std::string>{
           WithTail("-33.8 151.25", "\n"),
           WithTail("-33.8\t151.25", "\r\n"),
           WithTail("   -33.8 151.25"),
           WithTail("+12 -0.5"),        // explicit plus sign
           WithTail("1e1 2E-1"),        // exponents
           WithTail(".5 5."),           // bare fraction, bare point
           WithTail("0x1p-2 0X1.8p1"),  // hexadecimal forms
           WithTail("-0x10 12"),
           "1-2 3 4 5 6 7 8 9 10 11 12 13 14 15 16",  // a sign ends the previous number
           WithTail("1e 5"),                          // a bare exponent marker is swallowed
           WithTail("1e+ 5"),
           WithTail("1.e 5"),
           WithTail(".5E- 5"),
           WithTail("0x1p 5"),
           WithTail("0x1p+ 5"),
           WithTail("1ex 5"),  // ... but what follows it is not a number
           WithTail("1e+x 5"),
           WithTail("1ee 5"),
           WithTail("1e5e 5"),
           WithTail("0x 5"),  // "0x" without digits is no number
           WithTail("0xg 5"),
           "-30 150 1 2 3 4 5 6 7 8 9 10 11 12 13 14e",  // the last number too
           WithTail("-30 150", " trailing text 99"),     // text after the sixteenth number
           WithTail("-30,5 150"),                        // comma: not a separator
           "-30 150 1 2 3 4 5 6 7 8 9 10 11 12 13",      // fifteen numbers
           "lat lon LAT MLLW MLWS MLW MHLW MLWN AHD MSL MLHW MHWN MHW MHHW MHWS HAT",
           "",
           "\n",
           WithTail("++1 2"),
           WithTail("+-1 2"),
           WithTail("- 1 2"),
           WithTail(". 2"),
           WithTail("1e-400 2"),                            // underflows to zero: still a number
           WithTail("1e-320 1e-310"),                       // subnormal doubles
           "1 2 1e-40 1e-46 3 4 5 6 7 8 9 10 11 12 13 14",  // subnormal and underflowing floats
           "0.1 0.2 0.30000001192092896 3.4028235e38 1 2 3 4 5 6 7 8 9 10 11 12",
           "-12.3456789012345678 130.98765432109876543 -1.005 2.675 0.125 0.375 1 2 3 4 5 6 7 8 9 10",
       }) {
    ExpectSame(line);
  }
}

TEST(GridTextLine, RefusesNumbersThatAreNotFinite) {
  for (const std::string& line : std::vector<std::string>{
           WithTail("nan 150"), WithTail("-30 inf"), "-30 150 1 2 3 4 5 6 7 8 9 10 11 12 13 -infinity",
           "-30 150 1 2 3 4 5 6 7 8 9 10 11 12 13 nan(0x1)", WithTail("1e309 150"),
           "-30 150 3.5e38 2 3 4 5 6 7 8 9 10 11 12 13 14",  // beyond single precision
       }) {
    double lat, lon;
    float v[14];
    EXPECT_FALSE(CGridProc::ParseDataLine(line.c_str(), lat, lon, v)) << line;
  }
}

TEST(GridTextLine, RandomDecimalNumbersReadTheSameAsWithScanf) {
  // Decimal texts of many lengths and exponents: values must be bit for bit those of
  // strtod/strtof, including the rounding of floats from long digit strings.
  std::mt19937_64 random(20260307);
  std::uniform_int_distribution<int> digits(1, 19), exponent(-45, 40), coin(0, 1);
  for (int i = 0; i < 2000; ++i) {
    std::string line;
    for (int n = 0; n < 16; ++n) {
      std::string number = coin(random) ? "-" : "";
      const int count = digits(random);
      for (int d = 0; d < count; ++d) {
        number += static_cast<char>('0' + random() % 10);
        if (d == 0 && coin(random)) number += '.';
      }
      if (coin(random)) {
        number += 'e';
        number += std::to_string(exponent(random));
      }
      line += number;
      line += coin(random) ? " " : "\t ";
    }
    ExpectSame(line);
  }
}

}  // namespace
