#include "core/grid/GridGenLimits.h"

#include <cfloat>

#include "core/common/ClassicTime.h"
#include "core/common/NumberText.h"

namespace {

using Field = CGridGenLimits::Field;
using Settings = CGridProc::Settings;

// Each field's limits, in Field order: the settings' member of an integer field (none
// for the grid size, a number), and its bounds unless it has none.
struct CRule {
  int Settings::*member;
  bool ranged;
  double low, high;
};
constexpr CRule kRules[CGridGenLimits::kFieldCount] = {
    {&Settings::day, true, 1, 31},          {&Settings::month, true, 1, 12},
    {&Settings::year, true, 1970, 3000},    {&Settings::majorVersion, false, 0, 0},
    {&Settings::minorVersion, false, 0, 0}, {nullptr, true, 1e-7, 10000000.0},  // seconds of arc
};

// The message refusing `value` in `field`, or "". NaN is out of every range.
std::string CheckValue(Field field, double value) {
  const CRule& rule = kRules[static_cast<std::size_t>(field)];
  if (!rule.ranged || (value >= rule.low && value <= rule.high)) return "";
  if (rule.member)
    return "Enter an integer between " + std::to_string(static_cast<int>(rule.low)) + " and " +
           std::to_string(static_cast<int>(rule.high)) + ".";
  return "Enter a number between " + ClassicGeneral(rule.low, DBL_DIG) + " and " + ClassicGeneral(rule.high, DBL_DIG) +
         ".";
}

}  // namespace

std::optional<CGridGenLimits::Refusal> CGridGenLimits::Take(const Texts& texts, Settings& settings) {
  for (std::size_t i = 0; i < kFieldCount; ++i) {
    const auto field = static_cast<Field>(i);
    const auto member = kRules[i].member;
    std::optional<double> value;
    if (member) {
      if (const std::optional<int> parsed = ParseWholeInteger(texts[i])) value = *parsed;
    } else {
      value = ParseWholeNumber(texts[i]);
    }
    if (!value) return Refusal{field, member ? "Enter an integer." : "Enter a number."};
    if (std::string message = CheckValue(field, *value); !message.empty()) return Refusal{field, std::move(message)};
    if (member)
      settings.*member = static_cast<int>(*value);
    else
      settings.gridSizeSeconds = *value;
  }
  return std::nullopt;
}

std::string CGridGenLimits::Check(const Settings& settings) {
  for (std::size_t i = 0; i < kFieldCount; ++i) {
    const auto member = kRules[i].member;
    std::string message = CheckValue(static_cast<Field>(i), member ? settings.*member : settings.gridSizeSeconds);
    if (!message.empty()) return message;
  }
  return "";
}

void CGridGenLimits::SetToday(Settings& settings) { LocalDate(settings.day, settings.month, settings.year); }
