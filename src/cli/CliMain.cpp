// marevert-cli: the jobs of the desktop program without windows, for scripts,
// servers and very large batches. Results go to standard output, messages to
// standard error.

#include <cstdio>
#include <filesystem>

#include "cli/CliCommands.h"
#include "cli/Version.h"
#include "trans/TransBase.h"
#include "trans/TransFactory.h"
#ifdef MAREVERT_WITH_GDAL
#include "gdal/GdalHandlers.h"
#endif

std::string AbsolutePath(const std::string& path) {
  if (path.empty()) return path;
  std::error_code ec;
  const auto absolute = std::filesystem::absolute(path, ec);
  return ec ? path : absolute.lexically_normal().string();
}

const CTransBase* FindReference(const std::string& name) {
  const CTransFactory& factory = CTransFactory::Instance();
  if (const CTransBase* ref = factory.Find(name)) return ref;
  std::string lower = name;
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  if (lower == "ellipsoid") return factory.Find("Ellipsoid (GDA94/WGS84)");
  return nullptr;
}

void PrintUnknownReference(const std::string& name) {
  std::fprintf(stderr, "Unknown vertical reference: %s\nKnown references:", name.c_str());
  for (const auto& known : CTransFactory::Instance().GetNames()) std::fprintf(stderr, " \"%s\"", known.c_str());
  std::fprintf(stderr, " (or \"ellipsoid\")\n");
}

int main(int argc, char** argv) {
  CLI::App app{
      "Marevert command line: vertical datum transformation for hydrographic survey data.\n"
      "Example: marevert-cli info Marevert_Demo.MRGGrid",
      "marevert-cli"};
  app.set_version_flag("--version", std::string("marevert-cli ") + MAREVERT_VERSION);
  app.require_subcommand(1);

  int exitCode = 0;
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
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int status = app.exit(e);
    // Usage errors exit with 2, as documented in --help.
    return status == 0 ? 0 : 2;
  }
  return exitCode;
}
