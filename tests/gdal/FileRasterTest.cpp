// The raster handler where the command line cannot reach: cancel part way, outputs that
// cannot be created, progress, the check of what GDAL wrote. Rasters are made with
// gdal_create and read back with GDAL; the small test grid adds 1.50 m from MSL to LAT
// everywhere inside it.

#include <gdal_priv.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "core/files/FilesTestSupport.h"
#include "gdal/FileRaster.h"
#include "gdal/GdalSession.h"
#include "gdal/RasterCheck.h"
#include "gdal/RasterVertical.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

// A 256 x 256 GDA94 raster of 2.50 m inside the test grid, in 16 x 16 tiles: the handler
// takes it in four windows of 64 rows. `options` go to gdal_create as well.
std::string MakeRaster(const CScratchDir& dir, const std::string& name, const std::string& options = "") {
  const std::string path = dir.File(name);
  const std::string command =
      "gdal_create -q -of GTiff -outsize 256 256 -ot Float32 -burn 2.5 -a_srs EPSG:4283 "
      "-a_ullr 150.5 -25.5 152.5 -27.5 -co TILED=YES -co BLOCKXSIZE=16 -co BLOCKYSIZE=16 " +
      options + " '" + path + "'";
  EXPECT_EQ(std::system(command.c_str()), 0);
  return path;
}

GDALDatasetUniquePtr Open(const std::string& path) {
  EnsureGdalRegistered();
  return GDALDatasetUniquePtr(GDALDataset::Open(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY));
}

// Band 1 as GDAL reads it.
std::vector<float> ReadBand(const std::string& path) {
  EnsureGdalRegistered();
  GDALDatasetUniquePtr dataset(GDALDataset::Open(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY));
  if (!dataset) return {};
  GDALRasterBand* band = dataset->GetRasterBand(1);
  std::vector<float> values(static_cast<std::size_t>(band->GetXSize()) * band->GetYSize());
  if (band->RasterIO(GF_Read, 0, 0, band->GetXSize(), band->GetYSize(), values.data(), band->GetXSize(),
                     band->GetYSize(), GDT_Float32, 0, 0, nullptr) != CE_None)
    return {};
  return values;
}

// Raises the cancel flag at the first percentage it is sent.
class CCancellingJob : public CTestJob {
 public:
  void OnProcessProgress(unsigned percent) override {
    CTestJob::OnProcessProgress(percent);
    SetCancel(true);
  }
};

TEST(FileRasterTest, ReportsProgressWindowByWindow) {
  CFilesTestGrid g;
  CScratchDir dir;
  const std::string input = MakeRaster(dir, "dem.tif");
  CFileRaster handler;
  ASSERT_TRUE(handler.CanRead(input));
  EXPECT_EQ(handler.GetFormatName(), "GDAL raster (GTiff)");
  CTestJob job;
  const CRunResult run = RunHandler(handler, input, g.Grid(), g.Msl(), g.Lat(), &job);
  EXPECT_EQ(run.result, kFileDone);
  EXPECT_EQ(run.transformed, 256u * 256u);
  EXPECT_EQ(run.outside, 0u);
  EXPECT_EQ(job.m_progress, (std::vector<unsigned>{25, 50, 75, 100}));
  // A band without no-data gets NaN in the outputs, and the notes say so.
  EXPECT_EQ(handler.GetNotes(), std::vector<std::string>{
                                    "Band 1 has no no-data value: NaN marks the cells without a value in the outputs"});
  const std::vector<float> values = ReadBand(dir.File("dem_LAT.tif"));
  ASSERT_EQ(values.size(), 256u * 256u);
  EXPECT_EQ(values.front(), 4.0f);
  EXPECT_EQ(values.back(), 4.0f);
  EXPECT_FALSE(fs::exists(dir.File("dem_MSL.tif")));  // received no cell
}

TEST(FileRasterTest, CancelKeepsTheWindowsWrittenAndDeletesAnEmptyOutput) {
  CFilesTestGrid g;
  CScratchDir dir;
  const std::string input = MakeRaster(dir, "dem.tif");
  const std::string before = ReadFileBytes(input);
  CFileRaster handler;
  CCancellingJob job;
  const CRunResult run = RunHandler(handler, input, g.Grid(), g.Msl(), g.Lat(), &job);
  EXPECT_EQ(run.result, kFileCancelled);
  EXPECT_EQ(run.transformed, 256u * 64u);  // the first window, written before the cancel was seen
  EXPECT_EQ(ReadFileBytes(input), before);
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"dem.tif", "dem_LAT.tif"}));
  const std::vector<float> values = ReadBand(dir.File("dem_LAT.tif"));
  ASSERT_EQ(values.size(), 256u * 256u);
  EXPECT_EQ(values[256 * 64 - 1], 4.0f);
  EXPECT_TRUE(std::isnan(values[256 * 64]));  // not reached: no-data
}

TEST(FileRasterTest, AWindowThatCannotBeReadEndsTheFileWithTheWindowsBeforeItWritten) {
  CFilesTestGrid g;
  CScratchDir dir;
  const std::string input = MakeRaster(dir, "dem.tif", "-co COMPRESS=DEFLATE");
  // Garbles the compressed bytes of the tile at row 128, in the third window.
  std::uint64_t offset = 0, size = 0;
  {
    const GDALDatasetUniquePtr dataset = Open(input);
    GDALRasterBand* band = dataset->GetRasterBand(1);
    offset = std::stoull(band->GetMetadataItem("BLOCK_OFFSET_0_8", "TIFF"));
    size = std::stoull(band->GetMetadataItem("BLOCK_SIZE_0_8", "TIFF"));
  }
  std::string bytes = ReadFileBytes(input);
  std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(offset), size, '\x5a');
  WriteFileBytes(input, bytes);

  CFileRaster handler;
  const CRunResult run = RunHandler(handler, input, g.Grid(), g.Msl(), g.Lat());
  EXPECT_EQ(run.result, kFileException);
  EXPECT_EQ(run.transformed, 256u * 64u);  // the second window was transformed, not written
}

TEST(FileRasterTest, OutputThatCannotBeCreatedLeavesNothingBehind) {
  CFilesTestGrid g;
  for (const char* blocked : {"dem_LAT.tif", "dem_MSL.tif"}) {
    CScratchDir dir;
    const std::string input = MakeRaster(dir, "dem.tif");
    fs::create_directory(dir.File(blocked));  // a folder where the output should go
    CFileRaster handler;
    const CRunResult run = RunHandler(handler, input, g.Grid(), g.Msl(), g.Lat());
    EXPECT_EQ(run.result, kFileOutputError) << blocked;
    EXPECT_EQ(run.transformed, 0u);
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"dem.tif", blocked})) << blocked;
    // Ours with the system's reason, last.
    const std::vector<std::string>& notes = handler.GetNotes();
    ASSERT_FALSE(notes.empty());
    EXPECT_EQ(notes.back().rfind("Cannot create " + dir.File(blocked) + ": ", 0), 0u) << notes.back();
  }
}

TEST(FileRasterTest, NoDataChosenForBand1IsNamedForEveryBandItMarks) {
  CFilesTestGrid g;
  CScratchDir dir;
  // A GeoTIFF keeps one no-data value for all its bands.
  const std::string input = MakeRaster(dir, "dem.tif", "-bands 3");
  CFileRaster handler;
  ASSERT_EQ(RunHandler(handler, input, g.Grid(), g.Msl(), g.Lat()).result, kFileDone);
  EXPECT_EQ(handler.GetNotes(), std::vector<std::string>{"Band 1 has no no-data value: NaN marks the cells without "
                                                         "a value in bands 1, 2 and 3 of the outputs"});
}

// What the check of a written output finds in rasters that GDAL reads back otherwise
// than they were meant: another size, geotransform and CRS; a vertical CRS other than the
// one stated; a GeoTIFF without a CRS whose cells are points (GDAL reads it back with an
// engineering CRS "unnamed").
TEST(FileRasterTest, WrittenOutputCheckNamesWhatGdalReadsBackOtherwise) {
  CScratchDir dir;
  const auto compare = [&](const std::string& input, const std::string& output) {
    const GDALDatasetUniquePtr dataset = Open(input);
    std::vector<std::string> files;
    const std::string difference =
        CompareWritten(output, *dataset, DescribeVertical(dataset->GetSpatialRef(), nullptr, 1.0), files);
    EXPECT_EQ(files, std::vector<std::string>{output});
    return difference;
  };
  const std::string input = MakeRaster(dir, "in.tif");
  EXPECT_EQ(compare(input, MakeRaster(dir, "same.tif")), "");
  EXPECT_EQ(compare(input, MakeRaster(dir, "other.tif", "-outsize 256 128 -a_srs EPSG:28356 -a_ullr 0 8 8 0")),
            "256 x 128 cells in 1 bands, where it should have 256 x 256 in 1; "
            "the geotransform (0, 0.03125, 0, 8, 0, -0.0625), where it should have "
            "(150.5, 0.0078125, 0, -25.5, 0, -0.0078125); "
            "the CRS \"GDA94 / MGA zone 56\", where it should have \"GDA94\"");
  EXPECT_EQ(compare(MakeRaster(dir, "ahd.tif", "-a_srs EPSG:4283+5711"),
                    MakeRaster(dir, "mllw.tif", "-a_srs EPSG:4283+5866")),
            "the vertical CRS \"MLLW depth\", where it should have \"AHD height\"");
  EXPECT_EQ(compare(MakeRaster(dir, "none.tif", "-a_srs ''"),
                    MakeRaster(dir, "point.tif", "-a_srs '' -mo AREA_OR_POINT=Point")),
            "the CRS \"unnamed\", where the input has none");
}

}  // namespace
