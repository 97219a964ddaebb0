// The raster handler where the command line cannot reach: cancel part way, outputs that
// cannot be created, progress. Rasters are made with gdal_create and read back with
// GDAL; the small test grid adds 1.50 m from MSL to LAT everywhere inside it.

#include <gdal_priv.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "files/FilesTestSupport.h"
#include "gdal/FileRaster.h"
#include "gdal/GdalSession.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

// A 256 x 256 GDA94 raster of 2.50 m inside the test grid, in 16 x 16 tiles: the handler
// takes it in four windows of 64 rows.
std::string MakeRaster(const CScratchDir& dir, const std::string& name) {
  const std::string path = dir.File(name);
  const std::string command =
      "gdal_create -q -of GTiff -outsize 256 256 -ot Float32 -burn 2.5 -a_srs EPSG:4283 "
      "-a_ullr 150.5 -25.5 152.5 -27.5 -co TILED=YES -co BLOCKXSIZE=16 -co BLOCKYSIZE=16 '" +
      path + "'";
  EXPECT_EQ(std::system(command.c_str()), 0);
  return path;
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
    // Ours, then GDAL's reason, last.
    const std::vector<std::string>& notes = handler.GetNotes();
    ASSERT_GE(notes.size(), 2u);
    EXPECT_EQ(notes[notes.size() - 2], "Cannot create " + dir.File(blocked));
    EXPECT_EQ(notes.back().rfind("GDAL: ", 0), 0u) << notes.back();
  }
}

}  // namespace
