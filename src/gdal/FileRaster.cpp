#include "gdal/FileRaster.h"

#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include <array>
#include <charconv>
#include <cmath>
#include <vector>

#include "core/common/PathUtil.h"
#include "core/common/StagedFile.h"
#include "core/jobs/ProcessBase.h"
#include "core/trans/TransBase.h"
#include "gdal/GdalSession.h"
#include "gdal/RasterCells.h"
#include "gdal/RasterCheck.h"
#include "gdal/RasterOutput.h"
#include "gdal/RasterPositions.h"
#include "gdal/RasterRun.h"
#include "gdal/RasterVertical.h"

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

// How band 1 stores its values. A band without a usable no-data value gets one; `note`
// then begins to say so (NoDataNote ends it), else it is "".
CBandCoding ReadCoding(GDALRasterBand& band, std::string& note) {
  CBandCoding coding;
  coding.type = band.GetRasterDataType();
  int hasScale = 0, hasOffset = 0, hasNoData = 0;
  const double scale = band.GetScale(&hasScale), offset = band.GetOffset(&hasOffset);
  if (hasScale && scale != 0.0) coding.scale = scale;
  if (hasOffset) coding.offset = offset;
  const double noData = band.GetNoDataValue(&hasNoData);
  note.clear();
  if (hasNoData && CBandCoding::Holds(coding.type, noData)) {
    coding.noData = noData;
    return coding;
  }
  coding.noData = CBandCoding::ChooseNoData(coding.type);
  note = (hasNoData ? "Band 1's no-data value " + NumberText(noData) + " is no value of its type: "
                    : std::string("Band 1 has no no-data value: ")) +
         NumberText(coding.noData) + " marks the cells without a value";
  return coding;
}

// Where the no-data value chosen for band 1 applies: every band of `output` that has it
// (a GeoTIFF keeps one no-data value for all its bands).
std::string NoDataNote(const std::string& start, GDALDataset& output, double noData) {
  std::vector<int> bands;
  for (int i = 1; i <= output.GetRasterCount(); ++i) {
    int has = 0;
    const double value = output.GetRasterBand(i)->GetNoDataValue(&has);
    if (has && (value == noData || (std::isnan(value) && std::isnan(noData)))) bands.push_back(i);
  }
  if (bands.size() <= 1) return start + " in the outputs";
  std::string list = "bands";
  for (std::size_t i = 0; i < bands.size(); ++i)
    list += (i == 0 ? " " : i + 1 == bands.size() ? " and " : ", ") + std::to_string(bands[i]);
  return start + " in " + list + " of the outputs";
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
  std::string note;
  GDALDriver* driver = ChooseOutputDriver(*input, DescribeVertical(input->GetSpatialRef(), ref, GetSign()), note);
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
  PrepareTransform(task.inRef, task.outRef);
  // A block shift reads no position: the CRS is only carried over.
  const OGRSpatialReference* crs = input->GetSpatialRef();
  CRasterPositions positions;
  std::string error;
  if (!positions.Prepare(m_useGrid ? crs : nullptr, geoTransform, task.zone, error)) {
    m_notes.push_back(error);
    return kFileInputError;
  }
  if (m_useGrid && positions.GetKind() == CRasterPositions::Kind::kNoCrs)
    m_notes.push_back("No CRS in the file: positions read by the batch's rule (zone " + std::to_string(task.zone) +
                      ")");

  std::string noDataNote;
  const CBandCoding coding = ReadCoding(*input->GetRasterBand(1), noDataNote);
  const std::size_t noDataNoteAt = m_notes.size();
  CRasterVertical says[2] = {DescribeVertical(crs, task.outRef, GetSign()),
                             DescribeVertical(crs, task.inRef, GetSign())};
  std::string driverNote;
  GDALDriver* driver = ChooseOutputDriver(*input, says[0], driverNote);
  if (driver == nullptr) return kFileOutputError;
  if (!driverNote.empty()) m_notes.push_back(driverNote);
  const std::string names[2] = {OutputPathFor(MakeOutputName(task.outRef, path), *driver, *input),
                                OutputPathFor(MakeOutputName(task.inRef, path), *driver, *input)};
  if (names[0].empty() || names[1].empty()) return kFileOutputError;
  CRasterOutput outputs[2];  // the transformed raster, the excluded raster
  for (int i = 0; i < 2; ++i) {
    // A raster a killed run left goes with its side files, which GDAL knows.
    GDALDriver::QuietDelete(CStagedFile::PartialPath(names[i]).c_str());
    std::string why;
    const std::string staged = StageOutput(names[i], &why);
    if (staged.empty() || !outputs[i].Create(*driver, staged, names[i], *input, coding, says[i], error)) {
      m_notes.push_back(staged.empty() ? "Cannot create " + names[i] + ": " + why : error);
      if (i == 1) outputs[0].Close(false);
      return kFileOutputError;
    }
  }
  if (!noDataNote.empty())
    m_notes.insert(m_notes.begin() + static_cast<std::ptrdiff_t>(noDataNoteAt),
                   NoDataNote(noDataNote, *outputs[0].Get(), coding.noData));

  CProgressThrottle throttle;
  CRasterRunSetup setup;
  setup.input = input.get();
  setup.transformed = outputs[0].Get();
  setup.excluded = outputs[1].Get();
  setup.coding = coding;
  setup.positions = &positions;
  setup.how = {this, task.grid, task.inRef, task.outRef, &positions};
  setup.fillsUnwritten = EQUAL(driver->GetDescription(), "GTiff") && input->GetRasterCount() == 1;
  setup.progress = [&](long long percent) { return ReportProgress(task.process, throttle, percent); };
  FileResult result = RunRaster(setup, task.transformed, task.outside, m_separation);

  // Whatever the result, an output without a cell goes.
  const bool keep[2] = {task.transformed != 0, task.outside != 0};
  const bool closed = outputs[0].Close(keep[0]) & outputs[1].Close(keep[1]);
  if (!closed && result == kFileDone) result = kFileException;
  if (result == kFileDone && !keep[0] && !keep[1])
    m_notes.push_back("No cell of band 1 holds a value: nothing was transformed, and no output is left");
  // What was written must be what GDAL reads back.
  for (int i = 0; i < 2; ++i) {
    if (!keep[i]) continue;
    std::vector<std::string> files;
    const std::string written = CStagedFile::PartialPath(names[i]);
    const std::string difference = CompareWritten(written, *input, says[i], files);
    for (const std::string& file : files)
      if (const std::string name = CStagedFile::SiblingFinalPath(names[i], file); file != written && !name.empty())
        StageSideFile(name, file);
    if (!difference.empty()) {
      m_notes.push_back("The output " + GetFileNamePart(names[i]) + " does not hold what was written: " + difference);
      if (result == kFileDone) result = kFileException;
    }
  }
  return result;
}
