// marevert-cli transform: the batch of the file transformation page without windows.
// Each file gets its transformed and excluded copies beside it, the batch writes
// Log.txt into the folder of the last file (or --log) and a line into the application
// log, and the "Processing summary" is printed on standard output. --jobs transforms
// several files at once with the same summary and logs; --result-json writes what
// became of each file for scripts and for summarize. Ctrl-C cancels the batch as the
// Cancel button does.
//
// Exit status: 0 every file transformed; 1 a file had an error (or the result file
// could not be written); 2 usage error.

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "cli/CancelOnInterrupt.h"
#include "cli/CliCommands.h"
#include "cli/ResultJson.h"
#include "core/batch/BatchReferences.h"
#include "core/batch/FileProc.h"
#include "core/common/PathUtil.h"
#include "core/grid/GridInt.h"
#include "core/jobs/JobRunner.h"
#include "core/trans/CoordConv.h"
#include "core/trans/TransBase.h"

namespace {

struct CTransformOptions {
  std::string grid, from, to, blockShift;
  int zone = CCoordConv::kFirstZone;
  bool depthsPositive = false;
  int jobs = 1;
  std::string log, resultJson;
  std::vector<std::string> files;
};

int CoreCount() { return static_cast<int>(std::max(1u, std::thread::hardware_concurrency())); }

// Writes the run's result file; false, with the reason on standard error, when it cannot.
bool WriteResult(const CTransformOptions& options, const CFileProc& job, const std::vector<std::string>& files,
                 const CBatchReferences& references) {
  CTransformResult result;
  result.from = references.Input()->GetName();
  result.to = references.Output()->GetName();
  result.blockShift = references.BlockShift();
  result.grid = AbsolutePath(options.grid);
  result.sign = CTransBase::s_sign < 0 ? -1 : 1;
  result.files = files;
  result.interrupted = job.WasInterrupted();
  result.outcomes = job.GetFileOutcomes();
  const std::string path = AbsolutePath(options.resultJson);
  std::string error;
  if (WriteResultJson(path, result, error)) return true;
  std::fprintf(stderr, "Cannot write the result file %s: %s\n", path.c_str(), error.c_str());
  return false;
}

int RunTransform(const CTransformOptions& options) {
  const bool blockShift = !options.blockShift.empty();
  if (blockShift == (!options.from.empty() || !options.to.empty())) {
    std::fprintf(stderr, "Give either --from and --to, or --block-shift\n");
    return kExitUsage;
  }
  if (!blockShift && (options.from.empty() || options.to.empty())) {
    std::fprintf(stderr, "Both --from and --to are needed\n");
    return kExitUsage;
  }
  CBatchReferences references;
  const std::string refused =
      blockShift ? references.SetBlockShiftText(options.blockShift) : references.SetListed(options.from, options.to);
  if (!refused.empty()) {
    std::fprintf(stderr, "%s\n", refused.c_str());
    return kExitUsage;
  }
  if (!blockShift && options.grid.empty()) {
    std::fprintf(stderr, "--grid is needed unless --block-shift is given\n");
    return kExitUsage;
  }

  if (options.depthsPositive) CTransBase::s_sign = -1.0;

  CGridInt grid;
  if (!options.grid.empty()) {
    grid.LoadFile(AbsolutePath(options.grid));  // failures reported by the load itself
    if (!blockShift && !grid.IsLoaded()) return kExitFailed;
  }

  std::vector<std::string> files;
  files.reserve(options.files.size());
  for (const std::string& file : options.files) files.push_back(AbsolutePath(file));

  CFileProc job(&grid, &files, references.Input(), references.Output(), options.zone);
  job.SetJobs(options.jobs);
  if (!options.log.empty()) job.SetLogPath(AbsolutePath(options.log));
  job.SetCancel(false);
  {
    const CCancelOnInterrupt interrupt(job);
    GetJobRunner().RunModal(job, "Processing files ...", true);
  }
  const bool resultWritten = options.resultJson.empty() || WriteResult(options, job, files, references);
  return job.GetFilesWithErrors() > 0 || !resultWritten ? kExitFailed : kExitDone;
}

}  // namespace

void AddTransformCommand(CLI::App& app, int& exitCode) {
  auto options = std::make_shared<CTransformOptions>();
  CLI::App* command = app.add_subcommand(
      "transform",
#ifdef MAREVERT_WITH_GDAL
      "Transform survey files (xyz text, ESRI ASCII grid, LAS and LAZ, HTF) and elevation rasters\n"
      "(GeoTIFF, BAG, netCDF, Erdas Imagine, virtual rasters and every other raster GDAL reads) between\n"
      "vertical references. Each FILE gets FILE_<to>.ext (transformed records) and FILE_<from>.ext\n"
      "(records outside the grid) beside it, in its own format (LAZ stays LAZ; a raster GDAL cannot\n"
      "write in its own format: FILE_<to>.tif); Log.txt is written into the folder of the last file\n"
      "and the summary printed.\n"
#else
      "Transform survey files (xyz text, ESRI ASCII grid, LAS and LAZ, HTF) between vertical references.\n"
      "Each FILE gets FILE_<to>.ext (transformed records) and FILE_<from>.ext (records outside the grid)\n"
      "beside it, in its own format (LAZ stays LAZ); Log.txt is written into the folder of the last file\n"
      "and the summary printed.\n"
#endif
      "With --jobs several files are transformed at once; the summary and Log.txt are those of\n"
      "one file after another. Ctrl-C cancels the batch: the running files stop, the summary and\n"
      "Log.txt are still written.\n"
      "Exit status: 0 every file transformed, 1 a file had an error (or the result file could\n"
      "not be written), 2 usage error.\n"
      "Example: marevert-cli transform --grid Marevert_Demo.MRGGrid --from LAT --to AHD survey.xyz");
  command->add_option("--grid", options->grid, "Binary grid file (.MRGGrid); not needed with --block-shift");
  command->add_option("--from", options->from,
                      "Vertical reference of the input data: a display name such as LAT, MSL or AHD (any case), "
                      "or \"ellipsoid\" (GDA94) or \"gda2020\"");
  command->add_option("--to", options->to, "Vertical reference wanted for the output data (as --from)");
  command->add_option("--block-shift", options->blockShift,
                      "Instead of --from/--to: add this many metres to every value (no grid used)");
  command->add_option("--zone", options->zone, "MGA/UTM zone of files in eastings and northings (default 49)")
      ->check(CLI::Range(CCoordConv::kFirstZone, CCoordConv::kLastZone));
  AddDepthsPositiveFlag(*command, options->depthsPositive);
  options->jobs = CoreCount();
  command->add_option("--jobs", options->jobs, "Files transformed at once (default: the number of cores)")
      ->check(CLI::PositiveNumber);
  command->add_option("--log", options->log, "Write the batch log here (default: Log.txt in the last FILE's folder)");
  command->add_option("--result-json", options->resultJson,
                      "Also write what became of each file (path, format, result, counts, separation applied "
                      "to the centimetre as \"%.2f\" gives it, seconds) as JSON, for scripts and for summarize");
  command->add_option("FILE", options->files, "Survey files and rasters to transform, in this order")->required();
  command->callback([options, &exitCode]() { exitCode = RunTransform(*options); });
}
