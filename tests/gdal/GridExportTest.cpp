// The export job: what gdalinfo reads from the files it writes, and that an export that
// fails or is cancelled leaves the folder as it was.

#include <cpl_conv.h>
#include <gdal_priv.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <nlohmann/json.hpp>

#include "core/grid/ShiftLattice.h"
#include "core/jobs/Messenger.h"
#include "core/trans/ShiftGridDefinition.h"
#include "core/trans/TransFactory.h"
#include "gdal/GdalSession.h"
#include "gdal/GeoTiffShiftWriter.h"
#include "gdal/GridExport.h"
#include "support/ClassWideValues.h"
#include "support/GridFileWriter.h"
#include "support/TestSupport.h"

namespace {

const CTransBase& Ref(const char* name) { return *CTransFactory::Instance().Find(name); }

// gdalinfo's JSON report of a file (with statistics, kept from being written beside it).
nlohmann::json GdalInfo(const std::string& path) {
  const std::string command = "gdalinfo -json -stats --config GDAL_PAM_ENABLED NO '" + path + "' 2>/dev/null";
  std::string text;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
    pclose(pipe);
  }
  return nlohmann::json::parse(text, nullptr, false);
}

class GridExportTest : public ::testing::Test {
 protected:
  const CClassWideValues m_classWide;  // put back after the test
  void SetUp() override { m_scoped.emplace(&m_messenger); }
  void TearDown() override { m_scoped.reset(); }
  // The demo grid, as shipped beside the programs.
  void LoadDemo() {
    m_grid.LoadFile(MAREVERT_BIN_DIR "/Marevert_Demo_Synthetic_NotForNavigation.MRGGrid");
    ASSERT_TRUE(m_grid.IsLoaded());
  }
  // One complete cell whose surfaces lie about 1510 m above the ellipsoid.
  void LoadHighCell() {
    CTestGridFile file;
    file.offset = 1500.0f;
    file.rows = {{{0, CTestGridFile::Codes(0)}, {1, CTestGridFile::Codes(1)}},
                 {{0, CTestGridFile::Codes(2)}, {1, CTestGridFile::Codes(3)}}};
    WriteFileBytes(m_dir.File("cell.MRGGrid"), file.Bytes());
    m_grid.LoadFile(m_dir.File("cell.MRGGrid"));
    ASSERT_TRUE(m_grid.IsLoaded());
  }
  bool Export(const CShiftGridDefinition& definition, const std::string& name, CGridExport::Format format,
              bool cancel = false) {
    CGridExport job(m_grid, definition, m_dir.File(name), format);
    job.SetCancel(cancel);
    job.Run();
    EXPECT_EQ(job.GetSummary().empty(), !job.OutputWritten());
    return job.OutputWritten();
  }

  CClassicThreadLocale m_classic;  // the test reads gdalinfo's numbers with the C library
  CScratchDir m_dir;
  CRecordingMessenger m_messenger;
  std::optional<CScopedMessenger> m_scoped;
  CGridInt m_grid;
};

TEST_F(GridExportTest, GdalinfoReadsTheGeoTiffAsPixelIsPointOnTheLattice) {
  LoadDemo();
  ASSERT_TRUE(Export(CShiftGridDefinition::Between(Ref("LAT"), Ref("AHD"), 1.0), "LAT_to_AHD.tif",
                     CGridExport::Format::GeoTiff));
  const CShiftLattice lattice(m_grid, 0, 6);
  const CShiftLattice::Geometry& geometry = lattice.GetGeometry();
  const double g = geometry.spacing, north = geometry.south + (geometry.rows - 1) * g;
  const nlohmann::json info = GdalInfo(m_dir.File("LAT_to_AHD.tif"));
  ASSERT_TRUE(info.is_object());
  EXPECT_EQ(info["size"], nlohmann::json::array({1221, 1005}));
  EXPECT_EQ(info["size"][0], geometry.columns);
  // GDAL reports pixel-is-point files by the corner of the north-west cell around the node.
  const auto& transform = info["geoTransform"];
  EXPECT_NEAR(transform[0].get<double>(), geometry.west - g / 2, 1e-12);
  EXPECT_NEAR(transform[1].get<double>(), g, 1e-15);
  EXPECT_NEAR(transform[3].get<double>(), north + g / 2, 1e-12);
  EXPECT_NEAR(transform[5].get<double>(), -g, 1e-15);
  EXPECT_NE(info["coordinateSystem"]["wkt"].get<std::string>().find("ID[\"EPSG\",4283]"), std::string::npos);
  const auto& metadata = info["metadata"][""];
  EXPECT_EQ(metadata["TYPE"], "VERTICAL_OFFSET_VERTICAL_TO_VERTICAL");
  EXPECT_EQ(metadata["AREA_OR_POINT"], "Point");
  const std::string description = metadata["TIFFTAG_IMAGEDESCRIPTION"];
  const std::string date = std::to_string(m_grid.GetDay()) + "/" + std::to_string(m_grid.GetMonth()) + "/" +
                           std::to_string(m_grid.GetYear());
  for (const std::string& part :
       {std::string("Offset from LAT to AHD"), std::string("Marevert_Demo_Synthetic_NotForNavigation.MRGGrid"),
        "dated " + date + ", version 1.0", std::string("+multiplier=1")})
    EXPECT_NE(description.find(part), std::string::npos) << part << " in " << description;
  EXPECT_NE(metadata["area_of_use"].get<std::string>().find("-43.900000 to -10.433333"), std::string::npos);
  EXPECT_EQ(info["metadata"]["IMAGE_STRUCTURE"]["COMPRESSION"], "DEFLATE");
  EXPECT_FALSE(info["metadata"]["IMAGE_STRUCTURE"].contains("PREDICTOR"));
  const auto& band = info["bands"][0];
  // Eight strips of whole rows, which PROJ's cache of 12 decoded blocks holds at once.
  EXPECT_EQ(band["block"], nlohmann::json::array({1221, 126}));
  EXPECT_EQ(band["type"], "Float32");
  EXPECT_EQ(band["description"], "vertical_offset");
  EXPECT_EQ(band["unit"], "metre");
  EXPECT_EQ(band["noDataValue"], -88.8888);
  // gdalinfo counts the valued nodes as valid: the no-data value is taken as such.
  std::int64_t valued = 0;
  std::vector<float> row(static_cast<std::size_t>(geometry.columns));
  for (int r = 0; r < geometry.rows; ++r) valued += lattice.FillRow(r, row.data());
  const double validPercent = std::stod(band["metadata"][""]["STATISTICS_VALID_PERCENT"].get<std::string>());
  EXPECT_NEAR(validPercent, 100.0 * valued / (geometry.columns * geometry.rows), 1e-3);

  // The tie point itself is the north-west node, to the last bit.
  EnsureGdalRegistered();
  CPLSetThreadLocalConfigOption("GTIFF_POINT_GEO_IGNORE", "TRUE");
  GDALDataset* dataset = GDALDataset::Open(m_dir.File("LAT_to_AHD.tif").c_str(), GDAL_OF_RASTER);
  CPLSetThreadLocalConfigOption("GTIFF_POINT_GEO_IGNORE", nullptr);
  ASSERT_NE(dataset, nullptr);
  double tie[6];
  dataset->GetGeoTransform(tie);
  GDALClose(dataset);
  EXPECT_EQ(tie[0], geometry.west);
  EXPECT_EQ(tie[3], north);
  EXPECT_EQ(m_dir.Names(), std::vector<std::string>{"LAT_to_AHD.tif"});  // nothing beside it
}

TEST_F(GridExportTest, GdalinfoReadsTheGtx) {
  LoadDemo();
  ASSERT_TRUE(Export(CShiftGridDefinition::Surface(Ref("LAT"), -1.0), "LAT.gtx", CGridExport::Format::Gtx));
  const nlohmann::json info = GdalInfo(m_dir.File("LAT.gtx"));
  ASSERT_TRUE(info.is_object());
  EXPECT_EQ(info["driverShortName"], "GTX");
  EXPECT_EQ(info["size"], nlohmann::json::array({1221, 1005}));
  EXPECT_NEAR(info["geoTransform"][0].get<double>(), 113.2 - m_grid.GetGridSize() / 2, 1e-12);
  EXPECT_EQ(info["bands"][0]["noDataValue"], -88.8888);
}

TEST_F(GridExportTest, FailedOrCancelledExportLeavesTheEarlierFile) {
  LoadHighCell();
  WriteFileBytes(m_dir.File("out.gtx"), "earlier");
  // GTX readers take values beyond 1000 m as no-data: refused, not written.
  EXPECT_FALSE(Export(CShiftGridDefinition::Surface(Ref("MSL"), 1.0), "out.gtx", CGridExport::Format::Gtx));
  ASSERT_EQ(m_messenger.Messages().size(), 1u);
  EXPECT_EQ(m_messenger.Messages()[0].rfind("A node's value lies beyond 1000 m", 0), 0u) << m_messenger.Messages()[0];
  // Cancelled.
  EXPECT_FALSE(
      Export(CShiftGridDefinition::Between(Ref("LAT"), Ref("HAT"), 1.0), "out.gtx", CGridExport::Format::Gtx, true));
  EXPECT_FALSE(Export(CShiftGridDefinition::Between(Ref("LAT"), Ref("HAT"), 1.0), "out.gtx",
                      CGridExport::Format::GeoTiff, true));
  EXPECT_EQ(ReadFileBytes(m_dir.File("out.gtx")), "earlier");
  EXPECT_EQ(m_dir.Names(), (std::vector<std::string>{"cell.MRGGrid", "out.gtx"}));
  // The same grid to GeoTIFF, which holds any value; it replaces the earlier file.
  EXPECT_TRUE(Export(CShiftGridDefinition::Surface(Ref("MSL"), 1.0), "out.gtx", CGridExport::Format::GeoTiff));
  EXPECT_EQ(ReadFileBytes(m_dir.File("out.gtx")).substr(0, 2), "II");
}

TEST_F(GridExportTest, RefusesToReplaceTheGridOrWriteWhereItCannot) {
  LoadHighCell();
  const CShiftGridDefinition definition = CShiftGridDefinition::Between(Ref("LAT"), Ref("HAT"), 1.0);
  EXPECT_FALSE(Export(definition, "cell.MRGGrid", CGridExport::Format::Gtx));
  EXPECT_FALSE(Export(definition, "missing/out.tif", CGridExport::Format::GeoTiff));
  EXPECT_FALSE(Export(definition, "missing/out.gtx", CGridExport::Format::Gtx));
  const std::vector<std::string> messages = m_messenger.Messages();
  ASSERT_GE(messages.size(), 3u);
  EXPECT_EQ(messages[0], "The export would replace the grid file itself:\n" + m_dir.File("cell.MRGGrid"));
  EXPECT_EQ(messages.back(), "Cannot create file: \n" + m_dir.File("missing/out.gtx"));
  EXPECT_NE(std::find(messages.begin(), messages.end(), "Cannot create file: \n" + m_dir.File("missing/out.tif")),
            messages.end());
  EXPECT_EQ(m_dir.Names(), std::vector<std::string>{"cell.MRGGrid"});
}

// A grid too large for PROJ's block cache in any layout goes in small tiles, each cheap to
// decode again; up to that, strips of whole rows, at most eight.
TEST(GridExportLayout, StripsUpToTheWholeGridLimitThenTiles) {
  CShiftLattice::Geometry geometry;
  geometry.columns = 4096, geometry.rows = 4096;  // 64 MiB of Float32: the limit itself
  EXPECT_FALSE(CGeoTiffShiftWriter::ChooseLayout(geometry).tiled);
  EXPECT_EQ(CGeoTiffShiftWriter::ChooseLayout(geometry).blockRows, 512);
  geometry.rows = 4097;
  EXPECT_TRUE(CGeoTiffShiftWriter::ChooseLayout(geometry).tiled);
  EXPECT_EQ(CGeoTiffShiftWriter::ChooseLayout(geometry).blockRows, 256);
  geometry.columns = 3, geometry.rows = 2;
  EXPECT_EQ(CGeoTiffShiftWriter::ChooseLayout(geometry).blockRows, 1);
}

TEST(GridExportFormat, FromTheNameOrTheExtension) {
  using F = CGridExport::Format;
  EXPECT_EQ(CGridExport::FormatFromPath("/a/b.TIF"), F::GeoTiff);
  EXPECT_EQ(CGridExport::FormatFromPath("b.tiff"), F::GeoTiff);
  EXPECT_EQ(CGridExport::FormatFromPath("b.gtx"), F::Gtx);
  EXPECT_EQ(CGridExport::FormatFromPath("b.tif.txt"), std::nullopt);
  EXPECT_EQ(CGridExport::FormatFromName("GTiff"), F::GeoTiff);
  EXPECT_EQ(CGridExport::FormatFromName("gtx"), F::Gtx);
  EXPECT_EQ(CGridExport::FormatFromName("tif"), std::nullopt);
}

}  // namespace
