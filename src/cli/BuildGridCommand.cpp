// build-grid: builds a binary grid file from a text grid file, with the checks of the
// desktop program's grid generation settings dialog. Exit status 0 when the grid file
// was written, 1 when the job stopped or was not completed, 2 for a usage error.

#include <cfloat>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "cli/CliCommands.h"
#include "core/common/NumberText.h"
#include "core/common/PathUtil.h"
#include "core/grid/GridProc.h"
#include "core/jobs/JobRunner.h"

namespace {

struct CBuildGridOptions {
  std::string input, output, date, major = "0", minor = "0", gridSize = "60";
};

// The dialog's messages: "Enter an integer." or the range message with its bounds.
bool CheckInteger(const std::string& text, int low, int high, bool ranged, int& value) {
  const auto parsed = ParseWholeInteger(text);
  if (!parsed) {
    std::fprintf(stderr, "Enter an integer.\n");
    return false;
  }
  if (ranged && (*parsed < low || *parsed > high)) {
    std::fprintf(stderr, "Enter an integer between %d and %d.\n", low, high);
    return false;
  }
  value = *parsed;
  return true;
}

bool CheckNumber(const std::string& text, double low, double high, double& value) {
  const auto parsed = ParseWholeNumber(text);
  if (!parsed) {
    std::fprintf(stderr, "Enter a number.\n");
    return false;
  }
  if (*parsed < low || *parsed > high) {
    std::fprintf(stderr, "Enter a number between %s and %s.\n", ClassicGeneral(low, DBL_DIG).c_str(),
                 ClassicGeneral(high, DBL_DIG).c_str());
    return false;
  }
  value = *parsed;
  return true;
}

int RunBuildGrid(const CBuildGridOptions& options) {
  CGridProc::Settings settings;
  settings.inputPath = AbsolutePath(options.input);
  settings.outputPath = AbsolutePath(options.output);

  // Date: D/M/Y, today (local time) when not given.
  std::string day, month, year;
  if (options.date.empty()) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (now != static_cast<std::time_t>(-1) && localtime_r(&now, &local)) {
      day = std::to_string(local.tm_mday);
      month = std::to_string(local.tm_mon + 1);
      year = std::to_string(local.tm_year + 1900);
    } else {
      day = month = year = "0";
    }
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
    day = parts[0];
    month = parts[1];
    year = parts[2];
  }

  // Same checks, same order and same messages as the settings dialog.
  if (!CheckInteger(day, 1, 31, true, settings.day) || !CheckInteger(month, 1, 12, true, settings.month) ||
      !CheckInteger(year, 1970, 3000, true, settings.year) ||
      !CheckInteger(options.major, 0, 0, false, settings.majorVersion) ||
      !CheckInteger(options.minor, 0, 0, false, settings.minorVersion) ||
      !CheckNumber(options.gridSize, 1e-7, 10000000, settings.gridSizeSeconds))
    return kExitUsage;

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
