#include "core/batch/BatchReport.h"

#include <cstdio>

#include "core/common/ClassicTime.h"
#include "core/common/FileHandle.h"
#include "core/common/PathUtil.h"
#include "core/files/FileBase.h"

namespace {

// The batch log: a header with the local date and time, then `lines`. False when it
// cannot be created or written.
bool WriteBatchLog(const std::string& path, const std::vector<std::string>& lines) {
  CFileHandle log(path, "w");
  if (!log.IsOpen()) return false;
  std::fprintf(log.Get(), "Marevert Log File\nGenerated: %s\n\n", ClassicLocalTime("%c").c_str());
  for (const std::string& line : lines) std::fprintf(log.Get(), "%s\n", line.c_str());
  const bool written = std::ferror(log.Get()) == 0;
  return log.Close() && written;
}

// "Log.txt" in the folder of the last file of the list.
std::string DefaultBatchLogPath(const std::vector<std::string>& files) {
  return (files.empty() ? std::string() : GetFolderPart(files.back())) + "Log.txt";
}

}  // namespace

CBatchReport ReportBatch(const CBatchInputs& inputs, const std::vector<CFileOutcome>& outcomes, bool interrupted,
                         std::string logPath) {
  CBatchReport report;
  std::vector<std::string>& lines = report.summary;
  for (const CFileOutcome& file : outcomes) {
    if (file.result == CFileOutcome::kNoHandler) {
      lines.insert(lines.end(), {"", "Error with file: " + file.path, file.message});
      ++report.filesWithErrors;
      continue;
    }
    report.formats.insert(file.format);
    ++report.filesHandled;
    report.totalPoints += file.transformed;
    // A handler's notes follow the file's error, or stand as a block of their own.
    if (file.result != kFileDone) {
      ++report.filesWithErrors;
      lines.insert(lines.end(), {"", "Error with file: " + file.path, file.message});
    } else {
      ++report.filesOk;
      if (!file.notes.empty()) lines.insert(lines.end(), {"", "Note for file: " + file.path});
    }
    lines.insert(lines.end(), file.notes.begin(), file.notes.end());
    if (file.outside != 0) {
      lines.insert(lines.end(), {"", "Warning for file: " + file.path,
                                 std::to_string(file.outside) + " points were outside the grid/excluded"});
    }
  }
  if (interrupted) lines.insert(lines.end(), {"", "WARNING processing interrupted, not all files processed"});
  lines.push_back("Files OK: " + std::to_string(report.filesOk) +
                  ", files with errors: " + std::to_string(report.filesWithErrors));
  lines.push_back("Processed " + std::to_string(report.filesHandled) + " file(s) of " +
                  std::to_string(inputs.Files().size()));

  if (logPath.empty()) logPath = DefaultBatchLogPath(inputs.Files());
  // A survey file named Log.txt in that folder is an input, not an old log: keep it.
  const bool logWritten = !inputs.IsInput(logPath) && WriteBatchLog(logPath, lines);
  lines.insert(lines.end(), {"", logWritten ? "Summary log file written to:" : "Error generating log file:", logPath});
  return report;
}
