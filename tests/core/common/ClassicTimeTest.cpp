// Dates as text in the "C" locale's words, also while the process runs under another
// locale (today's local date is tested with grid generation's limits).

#include <gtest/gtest.h>

#include "core/common/ClassicTime.h"
#include "support/TestSupport.h"

TEST(ClassicTime, DatesInTheCLocaleWordsWhateverTheProcessLocale) {
  std::tm time{};
  time.tm_year = 2014 - 1900, time.tm_mon = 2, time.tm_mday = 24, time.tm_wday = 1, time.tm_yday = 82;
  time.tm_hour = 9, time.tm_min = 5;
  const CScopedLocale comma(kCommaLocale);
  EXPECT_EQ(ClassicStrftime("%c", time), "Mon Mar 24 09:05:00 2014");
  EXPECT_EQ(ClassicStrftime("%d/%m/%Y %H:%M", time), "24/03/2014 09:05");
}
