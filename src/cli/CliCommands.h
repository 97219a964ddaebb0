#pragma once
// Each subcommand of marevert-cli lives in its own file and registers itself here.
// A command's callback stores the process exit status in `exitCode`.

#include <CLI/CLI.hpp>
#include <string>

// Exit statuses of the commands that transform files (their --help says which they
// give).
constexpr int kExitOk = 0;
constexpr int kExitFileError = 1;  // a file had an error, or a result could not be written or read
constexpr int kExitUsage = 2;      // the arguments do not make a run

// Turns a path given on the command line into an absolute path, so that messages and
// details show a folder and a file name whatever the working folder was.
std::string AbsolutePath(const std::string& path);

class CTransBase;
// A listed vertical reference by display name ignoring case, or "ellipsoid" for the
// ellipsoid; null when none matches.
const CTransBase* FindReference(const std::string& name);
// "Unknown vertical reference: NAME" and the known names, on standard error.
void PrintUnknownReference(const std::string& name);

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
