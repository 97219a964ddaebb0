// marevert-cli export-grid: one separation (or one surface) of a grid as a
// vertical-shift grid for PROJ's vgridshift, in GeoTIFF or GTX, on the grid's own
// lattice. Prints what was written, the PROJ pipeline that applies it and a cct line
// that checks it.
//
// Exit status: 0 written; 1 not written (the grid did not load, the file could not be
// written); 2 usage error.

#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "cli/CliCommands.h"
#include "core/common/PathUtil.h"
#include "core/grid/GridInt.h"
#include "core/jobs/JobRunner.h"
#include "core/trans/ShiftGridDefinition.h"
#include "core/trans/TransBase.h"
#include "gdal/GridExport.h"

namespace {

struct CExportGridOptions {
  std::string grid, from, to, surface, output, format;
  bool depthsPositive = false;
};

// The definition the options ask for, or none (message printed).
std::optional<CShiftGridDefinition> DefinitionFromOptions(const CExportGridOptions& options) {
  const double sign = options.depthsPositive ? -1.0 : 1.0;
  const bool between = !options.from.empty() || !options.to.empty();
  if (between == !options.surface.empty()) {
    std::fprintf(stderr, "Give either --from and --to, or --surface\n");
    return std::nullopt;
  }
  if (!between) {
    const CTransBase* surface = LookUpReference(options.surface);
    if (surface == nullptr) return std::nullopt;
    if (surface->GetSurfaceRead() == CDataPt::kEllipsoid) {
      std::fprintf(stderr, "--surface needs one of the fourteen surfaces, not the ellipsoid\n");
      return std::nullopt;
    }
    return CShiftGridDefinition::Surface(*surface, sign);
  }
  if (options.from.empty() || options.to.empty()) {
    std::fprintf(stderr, "Both --from and --to are needed\n");
    return std::nullopt;
  }
  const CTransBase* from = LookUpReference(options.from);
  if (from == nullptr) return std::nullopt;
  const CTransBase* to = LookUpReference(options.to);
  if (to == nullptr) return std::nullopt;
  return CShiftGridDefinition::Between(*from, *to, sign);
}

int RunExportGrid(const CExportGridOptions& options) {
  const std::optional<CShiftGridDefinition> definition = DefinitionFromOptions(options);
  if (!definition) return kExitUsage;
  const std::optional<CGridExport::Format> format = options.format.empty()
                                                        ? CGridExport::FormatFromPath(options.output)
                                                        : CGridExport::FormatFromName(options.format);
  if (!format) {
    std::fprintf(stderr, options.format.empty() ? "The output's extension is neither .tif nor .gtx: give --format\n"
                                                : "--format is gtiff or gtx\n");
    return kExitUsage;
  }

  CGridInt grid;
  grid.LoadFile(AbsolutePath(options.grid));  // failures reported by the load itself
  if (!grid.IsLoaded()) return kExitFailed;

  CGridExport job(grid, *definition, AbsolutePath(options.output), *format);
  job.SetCancel(false);
  GetJobRunner().RunModal(job, "Exporting grid for PROJ", true);
  if (!job.OutputWritten()) return kExitFailed;
  for (const std::string& line : job.GetSummary()) std::printf("%s\n", line.c_str());
  return kExitDone;
}

}  // namespace

void AddExportGridCommand(CLI::App& app, int& exitCode) {
  auto options = std::make_shared<CExportGridOptions>();
  CLI::App* command = app.add_subcommand(
      "export-grid",
      "Write a separation of the grid as a vertical-shift grid for PROJ (+proj=vgridshift), GDAL, PDAL and QGIS:\n"
      "GeoTIFF (Float32, deflate, GDA94 EPSG:4283, or GDA2020 EPSG:7844 with the GDA2020 ellipsoid) or GTX, whose\n"
      "nodes are exactly the grid's lattice nodes. Nodes where Marevert cannot interpolate (missing, or in no\n"
      "complete cell) hold no-data, -88.8888.\n"
      "Sign convention. vgridshift adds multiplier x value to the third coordinate.\n"
      "  --from A --to B: each node holds S_A - S_B (surface heights above the ellipsoid), the offset to add to a\n"
      "    height above A to get the height above B: +proj=vgridshift +grids=FILE +multiplier=1.\n"
      "  --surface R (also --from/--to with the ellipsoid on one side): each node holds R's height above the\n"
      "    ellipsoid, like a geoid model: +multiplier=-1 carries ellipsoidal heights to R, +multiplier=1 back.\n"
      "    With the GDA2020 ellipsoid on one side, R's height above that ellipsoid, for GDA2020 ellipsoidal heights.\n"
      "    --surface \"Ellipsoid (GDA2020)\" is --from ellipsoid --to gda2020: an offset between the two ellipsoids.\n"
      "  --depths-positive: values are depths, positive down; the file is the same and the multiplier changes sign.\n"
      "Prints what was written, the PROJ pipeline and a cct line that checks the file at one node.\n"
      "Exit status: 0 written, 1 not written, 2 usage error.\n"
      "Example: marevert-cli export-grid --grid Marevert_Demo.MRGGrid --from LAT --to AHD --output LAT_to_AHD.tif\n"
      "         echo \"151.25 -33.85 -12.4\" | cct -d 3 +proj=vgridshift +grids=$PWD/LAT_to_AHD.tif +multiplier=1");
  command->add_option("--grid", options->grid, "Binary grid file (.MRGGrid)")->required();
  command->add_option("--from", options->from,
                      "Vertical reference of the values PROJ is given: a display name such as LAT, MSL or AHD "
                      "(any case), or \"ellipsoid\" (GDA94) or \"gda2020\"");
  command->add_option("--to", options->to, "Vertical reference PROJ is to carry them to (as --from)");
  command->add_option("--surface", options->surface,
                      "Instead of --from/--to: one surface, exported as its height above the ellipsoid");
  command->add_option("--output", options->output, "File to write (replaced): .tif for GeoTIFF, .gtx for GTX")
      ->required();
  command->add_option("--format", options->format, "gtiff or gtx (default: from the output's extension)");
  AddDepthsPositiveFlag(*command, options->depthsPositive);
  command->callback([options, &exitCode]() { exitCode = RunExportGrid(*options); });
}
