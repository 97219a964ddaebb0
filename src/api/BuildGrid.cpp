#include "marevert/BuildGrid.h"

#include <mutex>

#include "api/ApiSupport.h"
#include "core/common/PathUtil.h"
#include "core/grid/GridGenLimits.h"
#include "core/grid/GridProc.h"

namespace marevert {

namespace {

// Grid generation codes its values under the class-wide coding values: one at a time.
std::mutex g_buildMutex;

}  // namespace

std::vector<std::string> BuildGrid(const std::string& input, const std::string& output,
                                   const CBuildGridOptions& options) {
  CGridProc::Settings settings;
  settings.inputPath = AbsolutePath(input);
  settings.outputPath = AbsolutePath(output);
  settings.day = options.day, settings.month = options.month, settings.year = options.year;
  if (options.day == 0 && options.month == 0 && options.year == 0) CGridGenLimits::SetToday(settings);
  settings.majorVersion = options.majorVersion;
  settings.minorVersion = options.minorVersion;
  settings.gridSizeSeconds = options.gridSizeSeconds;
  if (const std::string message = CGridGenLimits::Check(settings); !message.empty()) throw CError(message);

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
