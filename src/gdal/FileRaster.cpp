#include "gdal/FileRaster.h"

#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include <array>
#include <charconv>
#include <cmath>
#include <vector>

#include "gdal/GdalSession.h"
#include "gdal/RasterCells.h"
#include "gdal/RasterOutput.h"
#include "gdal/RasterPositions.h"
#include "gdal/RasterRun.h"
#include "gdal/RasterVertical.h"
#include "process/ProcessBase.h"
#include "trans/TransBase.h"

namespace {

// GDAL reads these too, but they are the survey formats' own: an ESRI ASCII grid or an
// xyz file that the survey handlers declined is no raster we should guess at.
constexpr const char* kDeclinedDrivers[] = {"AAIGrid", "XYZ"};

bool IsDeclined(const char* driverName) {
  for (const char* name : kDeclinedDrivers)
    if (driverName && EQUAL(driverName, name)) return true;
  return false;
}

GDALDatasetUniquePtr OpenRaster(const std::string& path, bool verbose) {
  const unsigned flags = GDAL_OF_RASTER | GDAL_OF_READONLY | (verbose ? GDAL_OF_VERBOSE_ERROR : 0);
  GDALDatasetUniquePtr dataset(GDALDataset::Open(path.c_str(), flags));
  if (dataset && (dataset->GetDriver() == nullptr || IsDeclined(dataset->GetDriver()->GetDescription())))
    dataset.reset();
  return dataset;
}

std::string NumberText(double value) {
  if (std::isnan(value)) return "NaN";
  char text[32];
  const auto [end, ec] = std::to_chars(text, text + sizeof text, value);
  return ec == std::errc() ? std::string(text, end) : std::string();
}

// Why a dataset GDAL opened is no raster this handler can transform; "" when it is one.
std::string Unsuitable(GDALDataset& input) {
  if (input.GetRasterCount() < 1) {
    const int subdatasets = CSLCount(input.GetMetadata("SUBDATASETS")) / 2;
    return subdatasets > 0
               ? "The file holds no raster band of its own, only " + std::to_string(subdatasets) + " subdatasets"
               : "The file holds no raster band";
  }
  if (input.GetRasterXSize() < 1 || input.GetRasterYSize() < 1) return "The raster has no cells";
  const GDALDataType type = input.GetRasterBand(1)->GetRasterDataType();
  if (!CBandCoding::IsSupported(type))
    return std::string("Band 1 holds values of type ") + GDALGetDataTypeName(type) + ", which cannot be transformed";
  return "";
}

// How band 1 stores its values; a band without a usable no-data value gets one, which
// the notes name.
CBandCoding ReadCoding(GDALRasterBand& band, std::vector<std::string>& notes) {
  CBandCoding coding;
  coding.type = band.GetRasterDataType();
  int hasScale = 0, hasOffset = 0, hasNoData = 0;
  const double scale = band.GetScale(&hasScale), offset = band.GetOffset(&hasOffset);
  if (hasScale && scale != 0.0) coding.scale = scale;
  if (hasOffset) coding.offset = offset;
  const double noData = band.GetNoDataValue(&hasNoData);
  if (hasNoData && CBandCoding::Holds(coding.type, noData)) {
    coding.noData = noData;
    return coding;
  }
  coding.noData = CBandCoding::ChooseNoData(coding.type);
  notes.push_back((hasNoData ? "Band 1's no-data value " + NumberText(noData) + " is no value of its type: "
                             : std::string("Band 1 has no no-data value: ")) +
                  NumberText(coding.noData) + " marks the cells without a value in the outputs");
  return coding;
}

}  // namespace

bool CFileRaster::CanRead(const std::string& path) {
  EnsureGdalRegistered();
  CGdalErrorCapture quiet;
  GDALDriverH driver = GDALIdentifyDriverEx(path.c_str(), GDAL_OF_RASTER, nullptr, nullptr);
  if (driver == nullptr || IsDeclined(GDALGetDriverShortName(driver))) return false;
  m_driverName = GDALGetDriverShortName(driver);
  return true;
}

std::string CFileRaster::GetFormatName() const { return "GDAL raster (" + m_driverName + ")"; }

std::string CFileRaster::GetOutputPath(const CTransBase* ref, const std::string& path) {
  const std::string name = MakeOutputName(ref, path);
  EnsureGdalRegistered();
  CGdalErrorCapture quiet;
  const GDALDatasetUniquePtr input = OpenRaster(path, false);
  if (!input || !Unsuitable(*input).empty()) return name;
  GDALDriver* driver = ChooseOutputDriver(*input);
  return driver ? OutputPathFor(name, *driver, *input) : name;
}

FileResult CFileRaster::TransformFile(const std::string& path, const Task& task) {
  EnsureGdalRegistered();
  CGdalErrorCapture gdal;
  const FileResult result = Transform(path, task);
  if (result != kFileDone && !gdal.GetErrorText().empty()) m_notes.push_back("GDAL: " + gdal.GetErrorText());
  return result;
}

FileResult CFileRaster::Transform(const std::string& path, const Task& task) {
  const GDALDatasetUniquePtr input = OpenRaster(path, true);
  if (!input) return kFileInputError;
  if (const std::string why = Unsuitable(*input); !why.empty()) {
    m_notes.push_back(why);
    return kFileInputError;
  }
  std::array<double, 6> geoTransform{};
  if (input->GetGeoTransform(geoTransform.data()) != CE_None) {
    m_notes.push_back("The raster has no georeferencing (no geotransform)");
    return kFileInputError;
  }
  CRasterPositions positions;
  std::string error;
  if (!positions.Prepare(input->GetSpatialRef(), geoTransform, task.zone, error)) {
    m_notes.push_back(error);
    return kFileInputError;
  }
  if (positions.GetKind() == CRasterPositions::Kind::kNoCrs)
    m_notes.push_back("No CRS in the file: positions read by the batch's rule (zone " + std::to_string(task.zone) +
                      ")");

  const CBandCoding coding = ReadCoding(*input->GetRasterBand(1), m_notes);
  GDALDriver* driver = ChooseOutputDriver(*input);
  if (driver == nullptr) return kFileOutputError;
  if (driver != input->GetDriver())
    m_notes.push_back(std::string("GDAL cannot create ") + input->GetDriver()->GetDescription() +
                      " files: outputs written as GeoTIFF");
  const std::string transformedPath = OutputPathFor(MakeOutputName(task.outRef, path), *driver, *input);
  const std::string excludedPath = OutputPathFor(MakeOutputName(task.inRef, path), *driver, *input);
  if (transformedPath.empty() || excludedPath.empty()) return kFileOutputError;
  const OGRSpatialReference* crs = input->GetSpatialRef();
  CRasterOutput transformedFile, excludedFile;
  if (!transformedFile.Create(*driver, transformedPath, *input, coding, DescribeVertical(crs, task.outRef, GetSign()),
                              error)) {
    m_notes.push_back(error);
    return kFileOutputError;
  }
  if (!excludedFile.Create(*driver, excludedPath, *input, coding, DescribeVertical(crs, task.inRef, GetSign()),
                           error)) {
    m_notes.push_back(error);
    transformedFile.Close(false);
    return kFileOutputError;
  }

  PrepareTransform(task.inRef, task.outRef);
  CProgressThrottle throttle;
  CRasterRunSetup setup;
  setup.input = input.get();
  setup.transformed = transformedFile.Get();
  setup.excluded = excludedFile.Get();
  setup.coding = coding;
  setup.positions = &positions;
  setup.how = {this, task.grid, task.inRef, task.outRef, &positions};
  setup.fillsUnwritten = EQUAL(driver->GetDescription(), "GTiff") && input->GetRasterCount() == 1;
  setup.progress = [&](long long percent) { return ReportProgress(task.process, throttle, percent); };
  FileResult result = RunRaster(setup, task.transformed, task.outside, m_separation);

  // Whatever the result, an output without a cell goes.
  const bool closed = transformedFile.Close(task.transformed != 0) & excludedFile.Close(task.outside != 0);
  if (!closed && result == kFileDone) result = kFileException;
  return result;
}
