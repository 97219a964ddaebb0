// marevert-cli info GRID: loads a grid file and prints its details.

#include <cstdio>
#include <memory>
#include <string>

#include "cli/CliCommands.h"
#include "core/common/PathUtil.h"
#include "core/grid/GridInt.h"

void AddInfoCommand(CLI::App& app, int& exitCode) {
  auto* cmd = app.add_subcommand("info",
                                 "Load a binary grid file (.MRGGrid) and print its details.\n"
                                 "Exit status 0 when the grid loaded, 1 when it did not.");
  auto path = std::make_shared<std::string>();
  cmd->add_option("GRID", *path, "Binary grid file")->required();
  cmd->callback([path, &exitCode]() {
    CGridInt grid;
    grid.LoadFile(AbsolutePath(*path));
    for (const std::string& line : grid.GetDetails()) std::printf("%s\n", line.c_str());
    exitCode = grid.IsLoaded() ? kExitDone : kExitFailed;
  });
}
