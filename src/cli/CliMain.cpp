// marevert-cli: the jobs of the desktop program without windows, for scripts,
// servers and very large batches. Results go to standard output, messages to
// standard error.

#include <cstdio>
#include <string>

#include "cli/CliCommands.h"
#include "cli/Version.h"
#include "core/trans/TransBase.h"
#include "core/trans/TransFactory.h"
#ifdef MAREVERT_WITH_GDAL
#include "gdal/GdalHandlers.h"
#endif

void AddDepthsPositiveFlag(CLI::App& command, bool& depthsPositive) {
  command.add_flag("--depths-positive", depthsPositive,
                   "Values are depths, positive down (default: heights, positive up)");
}

const CTransBase* LookUpReference(const std::string& name) {
  const CTransFactory& factory = CTransFactory::Instance();
  const CTransBase* ref = factory.LookUp(name);
  if (ref == nullptr) std::fprintf(stderr, "%s\n", factory.UnknownReferenceMessage(name).c_str());
  return ref;
}

namespace {

// A first argument that is neither an option nor a command: CLI11 would only say that
// a command is required, so the name and the commands are given instead.
bool IsUnknownCommand(const CLI::App& app, int argc, char** argv) {
  if (argc < 2 || argv[1][0] == '-') return false;
  for (const CLI::App* command : app.get_subcommands({}))
    if (command->check_name(argv[1])) return false;
  return true;
}

void PrintCommands(const CLI::App& app) {
  std::string names;
  for (const CLI::App* command : app.get_subcommands({})) names += (names.empty() ? "" : ", ") + command->get_name();
  std::fprintf(stderr, "Commands: %s\nRun marevert-cli --help for what each does.\n", names.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{
      "Marevert command line: vertical datum transformation for hydrographic survey data.\n"
      "Example: marevert-cli info Marevert_Demo.MRGGrid",
      "marevert-cli"};
  app.set_version_flag("--version", std::string("marevert-cli ") + MAREVERT_VERSION);
  app.require_subcommand(1);

  int exitCode = kExitDone;
  AddInfoCommand(app, exitCode);
  AddPointCommand(app, exitCode);
  AddBuildGridCommand(app, exitCode);
  AddTransformCommand(app, exitCode);
  AddSummarizeCommand(app, exitCode);
#ifdef MAREVERT_WITH_GDAL
  AddExportGridCommand(app, exitCode);
#endif

#ifdef MAREVERT_WITH_GDAL
  RegisterGdalFileHandlers();  // after the survey handlers, which keep their files
#endif
  if (IsUnknownCommand(app, argc, argv)) {
    std::fprintf(stderr, "unknown command: %s\n", argv[1]);
    PrintCommands(app);
    return kExitUsage;
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    // --help and --version exit with 0; usage errors with kExitUsage, as --help says.
    return app.exit(e) == 0 ? kExitDone : kExitUsage;
  }
  return exitCode;
}
