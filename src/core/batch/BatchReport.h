#pragma once
// The end of every batch: the "Processing summary" and the batch log (Log.txt), made
// from what became of each file. A batch of one file after another, a batch of several
// files at once and a batch spread over processes or machines and put together from
// their results (marevert-cli summarize) all end through ReportBatch, so that for the
// same files in the same order their summaries and logs are the same bytes.
//
// For each file with something to say, in list order: an empty line, then
// "Error with file: PATH" and the result's message (and the handler's notes), or
// "Note for file: PATH" and the notes; then, when points were outside, "Warning for
// file: PATH" and their count. After a cancel, the interruption warning. Then "Files
// OK: ..., files with errors: ..." and "Processed ... file(s) of ...", which end the
// batch log; the summary adds an empty line and where the log was (or was not) written.

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "core/batch/BatchInputs.h"
#include "core/batch/FileOutcome.h"

struct CBatchReport {
  std::vector<std::string> summary;  // as shown; the last line is the batch log's path
  int filesOk = 0, filesWithErrors = 0, filesHandled = 0;
  std::uint64_t totalPoints = 0;  // transformed, over every file that reached a handler
  std::set<std::string> formats;  // of the files that reached a handler
};

// The report of a batch over `inputs` whose files the batch reached went as `outcomes`
// (in list order; after a cancel, fewer than the inputs), and writes the batch log to
// `logPath` (when empty: Log.txt in the folder of the last input), unless that is an
// input of the batch.
CBatchReport ReportBatch(const CBatchInputs& inputs, const std::vector<CFileOutcome>& outcomes, bool interrupted,
                         std::string logPath = {});
