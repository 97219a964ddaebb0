#include "marevert/BuildGrid.h"

#include <cfloat>
#include <cmath>
#include <ctime>
#include <mutex>

#include "api/ApiSupport.h"
#include "core/common/NumberText.h"
#include "core/common/PathUtil.h"
#include "core/grid/GridProc.h"

namespace marevert {

namespace {

// Grid generation codes its values under the class-wide coding values: one at a time.
std::mutex g_buildMutex;

// The checks of the grid generation settings, with their messages.
void CheckRange(int value, int low, int high) {
  if (value < low || value > high)
    throw CError("Enter an integer between " + std::to_string(low) + " and " + std::to_string(high) + ".");
}

void CheckGridSize(double seconds) {
  constexpr double kLow = 1e-7, kHigh = 10000000;
  if (std::isfinite(seconds) && seconds >= kLow && seconds <= kHigh) return;
  throw CError("Enter a number between " + ClassicGeneral(kLow, DBL_DIG) + " and " + ClassicGeneral(kHigh, DBL_DIG) +
               ".");
}

}  // namespace

std::vector<std::string> BuildGrid(const std::string& input, const std::string& output,
                                   const CBuildGridOptions& options) {
  CGridProc::Settings settings;
  settings.inputPath = AbsolutePath(input);
  settings.outputPath = AbsolutePath(output);
  settings.day = options.day, settings.month = options.month, settings.year = options.year;
  if (options.day == 0 && options.month == 0 && options.year == 0) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (localtime_r(&now, &local)) {
      settings.day = local.tm_mday, settings.month = local.tm_mon + 1, settings.year = local.tm_year + 1900;
    }
  }
  CheckRange(settings.day, 1, 31);
  CheckRange(settings.month, 1, 12);
  CheckRange(settings.year, 1970, 3000);
  CheckGridSize(options.gridSizeSeconds);
  settings.majorVersion = options.majorVersion;
  settings.minorVersion = options.minorVersion;
  settings.gridSizeSeconds = options.gridSizeSeconds;

  const std::lock_guard<std::mutex> lock(g_buildMutex);
  CRecordingMessenger messages;
  const CScopedThreadMessenger scope(&messages);
  CGridProc job(settings);
  job.Run();
  if (!job.OutputWritten()) {
    const std::string text = JoinMessages(messages);
    throw CError(text.empty() ? "The grid file was not written:\n" + settings.outputPath : text);
  }
  for (const CRecordingMessenger::Entry& entry : messages.Entries())
    if (entry.kind == CRecordingMessenger::Entry::MessageList) return entry.lines;
  return {};
}

}  // namespace marevert
