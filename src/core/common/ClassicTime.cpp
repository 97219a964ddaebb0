#include "core/common/ClassicTime.h"

#include <iomanip>
#include <locale>
#include <sstream>

std::string ClassicStrftime(const char* format, const std::tm& time) {
  std::ostringstream text;
  text.imbue(std::locale::classic());
  text << std::put_time(&time, format);
  return text.str();
}

std::string ClassicLocalTime(const char* format) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return ClassicStrftime(format, local);
}

bool LocalDate(int& day, int& month, int& year) {
  day = month = year = 0;
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (now == static_cast<std::time_t>(-1) || localtime_r(&now, &local) == nullptr) return false;
  day = local.tm_mday;
  month = local.tm_mon + 1;
  year = local.tm_year + 1900;
  return true;
}
