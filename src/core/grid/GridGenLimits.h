#pragma once
// The limits grid generation puts on its settings and the messages that refuse a value:
// day 1..31, month 1..12, year 1970..3000, any version, a grid size of 1e-07 to
// 10000000 seconds. The settings dialog checks its fields here in the order of Field,
// stopping at the first refused; build-grid and the library check their arguments here
// too, and each shows the message its own way.

#include <array>
#include <optional>
#include <string>

#include "core/grid/GridProc.h"

class CGridGenLimits {
 public:
  enum class Field { Day, Month, Year, MajorVersion, MinorVersion, GridSize };
  static constexpr std::size_t kFieldCount = 6;
  using Texts = std::array<std::string, kFieldCount>;  // in Field order

  struct Refusal {
    Field field;
    std::string message;
  };

  // Takes the fields' texts into `settings` one by one, as the dialog reads them (an
  // integer, the grid size a number, white space around either allowed). At the first
  // field refused, its message ("Enter an integer.", "Enter an integer between 1 and
  // 31." ...); the fields before it have been taken, it and those after it not.
  static std::optional<Refusal> Take(const Texts& texts, CGridProc::Settings& settings);
  // The same limits on settings whose values are numbers already (the library): the
  // message of the first value out of range, or "".
  static std::string Check(const CGridProc::Settings& settings);
  // Today's local date into `settings`: the dialog's first date and build-grid's default.
  // 0/0/0, which the limits refuse, when the platform cannot tell.
  static void SetToday(CGridProc::Settings& settings);
};
