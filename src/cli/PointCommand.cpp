// marevert-cli point: one position and height carried into every vertical reference,
// as the point transformation page lists it.
//
// Exit status: 0 rows printed; 2 an input failed its check (or an unknown reference);
// 3 the position is not within the grid (also when the grid did not load).

#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/CliCommands.h"
#include "core/common/NumberText.h"
#include "core/common/PathUtil.h"
#include "core/grid/GridInt.h"
#include "core/trans/PointTransform.h"
#include "core/trans/TransBase.h"

namespace {

struct CPointOptions {
  std::string grid, latitude, longitude, height, from;
  bool depthsPositive = false;
  bool json = false;
};

void PrintOutside(const CPointOptions& options) {
  if (options.json)
    std::printf("%s\n", nlohmann::json{{"inside", false}, {"rows", nlohmann::json::array()}}.dump().c_str());
  std::fprintf(stderr, "%s\n", CPointTransform::GetMessage(CPointTransform::Outcome::Outside));
}

int RunPoint(const CPointOptions& options) {
  const CTransBase* from = LookUpReference(options.from);
  if (from == nullptr) return kExitUsage;
  if (options.depthsPositive) CTransBase::s_sign = -1.0;

  // Check the texts before reading what may be a large grid file.
  CPointTransform point;
  CPointTransform::Outcome outcome = point.Compute(options.latitude, options.longitude, options.height, from, nullptr);
  if (outcome != CPointTransform::Outcome::Outside) {
    std::fprintf(stderr, "%s\n", CPointTransform::GetMessage(outcome));
    return kExitUsage;
  }

  CGridInt grid;
  grid.LoadFile(AbsolutePath(options.grid));  // failures reported by the load itself
  outcome = point.Compute(options.latitude, options.longitude, options.height, from, &grid);
  if (outcome == CPointTransform::Outcome::Outside) {
    PrintOutside(options);
    return kExitOutside;
  }

  if (options.json) {
    // The values the text rows and the point page show: rounded to the centimetre as
    // "%.2f" rounds them, so a script reads 23.06 where the page says 23.06.
    nlohmann::json rows = nlohmann::json::array();
    for (const CPointRow& row : point.GetRows())
      rows.push_back({{"reference", row.m_name},
                      {"separation", RoundFixed2(row.m_separation)},
                      {"height", RoundFixed2(row.m_height)}});
    std::printf("%s\n", nlohmann::json{{"inside", true}, {"rows", rows}}.dump().c_str());
  } else {
    for (const CPointRow& row : point.GetRows())
      std::printf("%s\t%.2f\t%.2f\n", row.m_name.c_str(), row.m_separation, row.m_height);
  }
  return kExitDone;
}

}  // namespace

void AddPointCommand(CLI::App& app, int& exitCode) {
  auto options = std::make_shared<CPointOptions>();
  CLI::App* command = app.add_subcommand(
      "point",
      "Carry a height or depth at one position into every vertical reference.\n"
      "Prints NAME<TAB>SEPARATION<TAB>HEIGHT per reference, largest separation first;\n"
      "with --json the same rows as JSON numbers, both values in metres rounded to the\n"
      "centimetre as the text rows show them (\"%.2f\").\n"
      "Exit status: 0 done, 2 an input failed its check, 3 position not within the grid.\n"
      "Example: marevert-cli point --grid Marevert_Demo.MRGGrid --lat=-33.85 --lon 151.25 --height 2 --from AHD");
  command->add_option("--grid", options->grid, "Binary grid file (.MRGGrid)")->required();
  command->add_option("--lat", options->latitude, "Latitude in decimal degrees, -90 to 90 (south negative)")
      ->required();
  command->add_option("--lon", options->longitude, "Longitude in decimal degrees, -180 to 180")->required();
  command->add_option("--height", options->height, "Height or depth in metres")->required();
  command
      ->add_option("--from", options->from,
                   "Vertical reference of the height: a display name such as AHD, MSL or LAT (any case), "
                   "or \"ellipsoid\" (GDA94) or \"gda2020\"")
      ->required();
  AddDepthsPositiveFlag(*command, options->depthsPositive);
  command->add_flag("--json", options->json, "Print the rows as JSON, values in metres rounded to the centimetre");
  command->callback([options, &exitCode]() { exitCode = RunPoint(*options); });
}
