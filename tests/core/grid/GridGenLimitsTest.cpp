// The limits of grid generation's settings and their messages, as the settings dialog,
// build-grid and the library all check them: each field's bounds from both sides, which
// fields are integers, the order the fields are taken in, and today's date.

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <limits>
#include <tuple>

#include "core/grid/GridGenLimits.h"

namespace {

using Field = CGridGenLimits::Field;

// Valid texts in every field: 7/3/2026, versions 2 and 11, 30 seconds.
CGridGenLimits::Texts Valid() { return {"7", "3", "2026", "2", "11", "30"}; }

// The refusal of `text` in `field`, the other fields valid: "" when taken.
std::string Refusal(Field field, const std::string& text) {
  CGridGenLimits::Texts texts = Valid();
  texts[static_cast<std::size_t>(field)] = text;
  CGridProc::Settings settings;
  const auto refusal = CGridGenLimits::Take(texts, settings);
  if (!refusal) return "";
  EXPECT_EQ(refusal->field, field) << text;
  return refusal->message;
}

TEST(GridGenLimitsTest, EachFieldTakesItsRangeAndRefusesBeyondIt) {
  const struct {
    Field field;
    const char *below, *low, *high, *above, *message;
  } ranges[] = {
      {Field::Day, "0", "1", "31", "32", "Enter an integer between 1 and 31."},
      {Field::Month, "0", "1", "12", "13", "Enter an integer between 1 and 12."},
      {Field::Year, "1969", "1970", "3000", "3001", "Enter an integer between 1970 and 3000."},
      {Field::GridSize, "9.9e-8", "1e-7", "10000000", "10000001", "Enter a number between 1e-07 and 10000000."},
  };
  for (const auto& r : ranges) {
    SCOPED_TRACE(r.message);
    EXPECT_EQ(Refusal(r.field, r.low), "");
    EXPECT_EQ(Refusal(r.field, r.high), "");
    EXPECT_EQ(Refusal(r.field, r.below), r.message);
    EXPECT_EQ(Refusal(r.field, r.above), r.message);
  }
  // The versions have no bounds.
  EXPECT_EQ(Refusal(Field::MajorVersion, "-5"), "");
  EXPECT_EQ(Refusal(Field::MinorVersion, "2147483647"), "");
}

// What reads as an integer or a number: NumberTextTest's whole texts.
TEST(GridGenLimitsTest, FieldsAreTakenInOrderUpToTheFirstRefused) {
  for (const Field field : {Field::Day, Field::Month, Field::Year, Field::MajorVersion, Field::MinorVersion})
    EXPECT_EQ(Refusal(field, "1.5"), "Enter an integer.") << static_cast<int>(field);
  EXPECT_EQ(Refusal(Field::GridSize, "inf"), "Enter a number.");

  CGridProc::Settings settings;
  EXPECT_FALSE(CGridGenLimits::Take(Valid(), settings));
  EXPECT_EQ(std::tuple(settings.day, settings.month, settings.year, settings.majorVersion, settings.minorVersion,
                       settings.gridSizeSeconds),
            std::tuple(7, 3, 2026, 2, 11, 30.0));
  CGridProc::Settings partly;
  const auto refusal = CGridGenLimits::Take({"9", "13", "1", "x", "4", "0"}, partly);
  ASSERT_TRUE(refusal);
  EXPECT_EQ(refusal->field, Field::Month);
  EXPECT_EQ(partly.day, 9);    // taken before the month
  EXPECT_EQ(partly.month, 0);  // neither the month nor anything after it
  EXPECT_EQ(partly.gridSizeSeconds, 60.0);
}

TEST(GridGenLimitsTest, SettingsGivenAsNumbersMeetTheSameLimits) {
  CGridProc::Settings settings;
  settings.day = 7, settings.month = 3, settings.year = 2026, settings.majorVersion = -1;
  EXPECT_EQ(CGridGenLimits::Check(settings), "");
  settings.gridSizeSeconds = std::nan("");
  EXPECT_EQ(CGridGenLimits::Check(settings), "Enter a number between 1e-07 and 10000000.");
  settings.gridSizeSeconds = std::numeric_limits<double>::infinity();
  EXPECT_EQ(CGridGenLimits::Check(settings), "Enter a number between 1e-07 and 10000000.");
  settings.year = 1969;  // the first refused, in the dialog's order
  EXPECT_EQ(CGridGenLimits::Check(settings), "Enter an integer between 1970 and 3000.");
}

TEST(GridGenLimitsTest, TodayIsTheLocalDate) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  CGridProc::Settings settings;
  CGridGenLimits::SetToday(settings);
  EXPECT_EQ(settings.day, local.tm_mday);
  EXPECT_EQ(settings.month, local.tm_mon + 1);
  EXPECT_EQ(settings.year, local.tm_year + 1900);
}

}  // namespace
