// build-grid: builds a binary grid file from a text grid file, with the checks of the
// desktop program's grid generation settings dialog. Exit status 0 when the grid file
// was written, 1 when the job stopped or was not completed, 2 for a usage error.

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/CliCommands.h"
#include "core/common/PathUtil.h"
#include "core/grid/GridGenLimits.h"
#include "core/grid/GridProc.h"
#include "core/jobs/JobRunner.h"

namespace {

struct CBuildGridOptions {
  std::string input, output, date, major = "0", minor = "0", gridSize = "60";
};

int RunBuildGrid(const CBuildGridOptions& options) {
  CGridProc::Settings settings;
  settings.inputPath = AbsolutePath(options.input);
  settings.outputPath = AbsolutePath(options.output);

  // Date: D/M/Y, today (local time) when not given.
  CGridGenLimits::Texts texts{"", "", "", options.major, options.minor, options.gridSize};
  if (options.date.empty()) {
    CGridGenLimits::SetToday(settings);
    texts[0] = std::to_string(settings.day);
    texts[1] = std::to_string(settings.month);
    texts[2] = std::to_string(settings.year);
  } else {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t slash; (slash = options.date.find('/', start)) != std::string::npos; start = slash + 1)
      parts.push_back(options.date.substr(start, slash - start));
    parts.push_back(options.date.substr(start));
    if (parts.size() != 3) {
      std::fprintf(stderr, "Enter the date as D/M/Y.\n");
      return kExitUsage;
    }
    std::copy(parts.begin(), parts.end(), texts.begin());
  }
  // The settings dialog's checks, in its order and with its messages.
  if (const auto refusal = CGridGenLimits::Take(texts, settings)) {
    std::fprintf(stderr, "%s\n", refusal->message.c_str());
    return kExitUsage;
  }

  CGridProc job(settings);
  job.SetCancel(false);
  GetJobRunner().RunModal(job, "Building grid file", true);
  return job.OutputWritten() ? kExitDone : kExitFailed;
}

}  // namespace

void AddBuildGridCommand(CLI::App& app, int& exitCode) {
  auto options = std::make_shared<CBuildGridOptions>();
  CLI::App* command = app.add_subcommand(
      "build-grid",
      "Build a binary grid file from a text grid file (one line per lattice node: latitude, longitude and the "
      "fourteen surface heights LAT ... HAT above the ellipsoid).\n"
      "Prints the grid summary. Exit status 0 when the grid file was written, 1 otherwise, 2 for bad arguments.\n"
      "Example: marevert-cli build-grid --input nodes.txt --output Coast.MRGGrid --date 7/3/2026 --major 1 "
      "--grid-size 60");
  command->add_option("--input", options->input, "Text grid file")->required();
  command->add_option("--output", options->output, "Binary grid file to write (replaced)")->required();
  command->add_option("--date", options->date, "Issue date D/M/Y (default: today)");
  command->add_option("--major", options->major, "Major version (default 0)");
  command->add_option("--minor", options->minor, "Minor version (default 0)");
  command->add_option("--grid-size", options->gridSize, "Lattice spacing in seconds of arc (default 60)");
  command->callback([options, &exitCode] { exitCode = RunBuildGrid(*options); });
}
