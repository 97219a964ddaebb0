#pragma once
// Each subcommand of marevert-cli lives in its own file and registers itself here.
// A command's callback stores the process exit status in `exitCode`; the commands
// share the statuses, the reference look-up and its message below, and differ only in
// what they do.

#include <CLI/CLI.hpp>
#include <string>

// Exit statuses, as the commands' help texts document them.
enum CliExit : int {
  kExitDone = 0,
  kExitFailed = 1,   // the work was not done: a grid did not load, a file had an error, a result
                     // could not be written or read
  kExitUsage = 2,    // a usage error, or an input that fails its check
  kExitOutside = 3,  // point: the position is not within the grid
};

// The --depths-positive flag of the commands that carry values, with its one help text.
void AddDepthsPositiveFlag(CLI::App& command, bool& depthsPositive);

class CTransBase;
// A listed vertical reference by display name ignoring case, or "ellipsoid" for the
// GDA94 ellipsoid and "gda2020" for the GDA2020 one. When none matches: null, with "Unknown vertical reference: NAME"
// and the known names on standard error.
const CTransBase* LookUpReference(const std::string& name);

// info GRID: loads a grid file and prints its details (exit 0 loaded, 1 not).
void AddInfoCommand(CLI::App& app, int& exitCode);

// point: one position and height into every vertical reference (PointCommand.cpp).
void AddPointCommand(CLI::App& app, int& exitCode);

// build-grid: a binary grid file from a text grid file.
void AddBuildGridCommand(CLI::App& app, int& exitCode);

// transform: a batch of survey files through CFileProc (TransformCommand.cpp).
void AddTransformCommand(CLI::App& app, int& exitCode);

// summarize: the summary and batch log of a batch from its runs' result files
// (SummarizeCommand.cpp).
void AddSummarizeCommand(CLI::App& app, int& exitCode);

// export-grid: a separation or a surface as a vertical-shift grid for PROJ (GeoTIFF, GTX).
void AddExportGridCommand(CLI::App& app, int& exitCode);
