// marevert-cli summarize: the "Processing summary" and the batch log of a batch whose
// files were transformed by several runs of transform --result-json (one per file or per
// chunk, on this machine or on many), printed and written exactly as one run over the
// same files in the same order would have printed and written them. Writes nothing
// else: each run has already added its line to its own application log.
//
// Exit status: 0 every file transformed; 1 a file had an error, or a result file could
// not be read or is of another transformation than the first; 2 usage error.

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/CliCommands.h"
#include "cli/ResultJson.h"
#include "core/batch/BatchInputs.h"
#include "core/batch/BatchReport.h"
#include "core/common/PathUtil.h"
#include "core/jobs/Messenger.h"

namespace {

struct CSummarizeOptions {
  std::vector<std::string> results;
  std::string log;
};

// Whether two runs transformed alike: references or block shift, sign convention and
// grid file (by name: hosts may keep it in different folders).
bool SameTransformation(const CTransformResult& a, const CTransformResult& b) {
  return a.from == b.from && a.to == b.to && a.blockShift == b.blockShift && a.sign == b.sign &&
         GetFileNamePart(a.grid) == GetFileNamePart(b.grid);
}

int RunSummarize(const CSummarizeOptions& options) {
  std::vector<std::string> files;
  std::vector<CFileOutcome> outcomes;
  bool interrupted = false;
  CTransformResult first;
  for (std::size_t i = 0; i < options.results.size(); ++i) {
    const std::string path = AbsolutePath(options.results[i]);
    CTransformResult run;
    std::string error;
    if (!ReadResultJson(path, run, error)) {
      std::fprintf(stderr, "Cannot read the result file %s: %s\n", path.c_str(), error.c_str());
      return kExitFailed;
    }
    if (i == 0) {
      first = run;
    } else if (!SameTransformation(first, run)) {
      std::fprintf(stderr, "The result file %s is of another transformation than %s\n", path.c_str(),
                   AbsolutePath(options.results[0]).c_str());
      return kExitFailed;
    }
    files.insert(files.end(), run.files.begin(), run.files.end());
    for (CFileOutcome& outcome : run.outcomes) outcomes.push_back(std::move(outcome));
    interrupted = interrupted || run.interrupted;
  }

  const CBatchInputs inputs(files);
  const CBatchReport report =
      ReportBatch(inputs, outcomes, interrupted, options.log.empty() ? std::string() : AbsolutePath(options.log));
  GetMessenger().ShowMessageList("Processing summary", report.summary);
  return report.filesWithErrors > 0 ? kExitFailed : kExitDone;
}

}  // namespace

void AddSummarizeCommand(CLI::App& app, int& exitCode) {
  auto options = std::make_shared<CSummarizeOptions>();
  CLI::App* command = app.add_subcommand(
      "summarize",
      "Print the processing summary and write the Log.txt of a batch whose files were transformed by\n"
      "several runs of transform --result-json (on one machine or many), exactly as one transform\n"
      "run over the same files in the same order would have: give the result files in that order.\n"
      "Log.txt goes into the folder of the last file (or --log).\n"
      "Exit status: 0 every file transformed, 1 a file had an error (or a result file could not be\n"
      "read, or is of another transformation), 2 usage error.\n"
      "Example: marevert-cli summarize results/1.json results/2.json results/3.json");
  command->add_option("RESULT", options->results, "Result files of transform --result-json, in the batch's order")
      ->required();
  command->add_option("--log", options->log, "Write the batch log here (default: Log.txt in the last file's folder)");
  command->callback([options, &exitCode]() { exitCode = RunSummarize(*options); });
}
