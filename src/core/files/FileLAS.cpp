#include "core/files/FileLAS.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "core/common/FileHandle.h"
#include "core/common/InputStream.h"
#include "core/common/OutputStream.h"
#include "core/files/LasCrs.h"
#include "core/files/LasHeader.h"
#include "core/files/LasRecordPipeline.h"
#include "core/files/LasVlrs.h"
#include "core/files/LazFraming.h"
#include "core/files/LazRecordPipeline.h"
#include "core/jobs/ProcessBase.h"
#include "core/laz/LazError.h"

namespace {

// The longest CRS record read: a WKT 2 of a compound CRS takes a few kilobytes, while an
// extended record's 64-bit length may claim gigabytes.
constexpr std::size_t kMaxCrsRecord = 1 << 20;

}  // namespace

CFileLAS::CFileLAS() = default;
CFileLAS::~CFileLAS() = default;

bool CFileLAS::CanRead(const std::string& path) {
  const CFileHandle file(path, "rb");
  char signature[4];
  return file.IsOpen() && std::fread(signature, 1, 4, file.Get()) == 4 && std::memcmp(signature, "LASF", 4) == 0;
}

FileResult CFileLAS::TransformFile(const std::string& path, const Task& task) {
  if (const FileResult examined = Examine(path, task.zone); examined != kFileDone) return examined;
  return CFileBase::TransformFile(path, task);
}

FileResult CFileLAS::Examine(const std::string& path, int batchZone) {
  m_zone = batchZone;
  m_geographic = false;
  m_laz.reset();
  CInputStream input;
  if (!input.Open(path, CInputStream::kSmallBlockSize)) return kFileInputError;
  CLasHeader header;
  if (!header.Read(input)) {
    m_notes.push_back("The file ends inside its LAS header");
    return kFileInputError;
  }
  // A file too short for the header's fields, a record without room for X, Y and Z,
  // point data said to start beyond the file or inside these fields, or records that
  // run into the point data, is not a LAS file we can copy.
  std::string why;
  CLasVlrs records;
  if (!header.FitsFile(input.Size(), &why) || !records.Read(path, input.Size(), header, why)) {
    m_notes.push_back(why);
    return kFileInputError;
  }
  if (records.IsCompressed(header)) {
    auto laz = std::make_unique<CLazFraming>();
    if (!laz->Read(path, input.Size(), header, records, why)) {
      m_notes.push_back("The file's compressed points (LAZ) cannot be read: " + why);
      return kFileInputError;
    }
    if (laz->IsCopc())
      m_notes.push_back(
          "COPC written as plain LAZ: its points are split into two files, which its octree order cannot survive "
          "(the COPC records are left out)");
    m_laz = std::move(laz);
  }
  if (records.Uncounted() != 0)
    m_notes.push_back("The header counts " + std::to_string(header.VlrCount()) + " variable-length records, but " +
                      std::to_string(header.VlrCount() + records.Uncounted()) +
                      " lie before the point data: the header is copied as it is");

  // A 1.4 file that carries both means its WKT when its header says so, else its keys.
  CLasCrs crs;
  if (records.Wkt() && (header.CrsIsWkt() || !records.GeoKeys()))
    crs = LasCrsFromWkt(records.Bytes(records.Wkt(), kMaxCrsRecord));
  else if (records.GeoKeys())
    crs = LasCrsFromGeoKeys(records.Bytes(records.GeoKeys(), kMaxCrsRecord),
                            records.Bytes(records.GeoAscii(), kMaxCrsRecord));
  switch (crs.kind) {
    case CLasCrs::Kind::kNone:
      break;
    case CLasCrs::Kind::kMapGrid:
      m_zone = crs.zone;
      if (crs.zone != batchZone) m_notes.push_back("Zone " + std::to_string(crs.zone) + " from the file's CRS");
      break;
    case CLasCrs::Kind::kGeographic:
      m_geographic = true;
      break;
    case CLasCrs::Kind::kOther:
      m_notes.push_back((crs.epsg || !crs.name.empty()
                             ? "The file's CRS is " + crs.Describe() + ", which Marevert does not convert"
                             : "The file's CRS records name " + crs.Describe()) +
                        ": positions read by the batch's rule (zone " + std::to_string(batchZone) + ")");
      break;
  }
  return kFileDone;
}

void CFileLAS::TransformHeights(std::size_t count, double* a, double* b, double* z, bool* transformed, double* given,
                                CDataPt& point, CSeparationStats& separation, const Task& task) const {
  // Latitude and longitude by the file's CRS: no map-grid coordinates, whatever their
  // size (a latitude beyond 200 degrees is outside any grid).
  if (m_geographic) {
    for (std::size_t i = 0; i < count; ++i)
      if (std::fabs(a[i]) > kMapGridThreshold && std::fabs(b[i]) > kMapGridThreshold)
        a[i] = std::numeric_limits<double>::quiet_NaN();
  }
  TransformPoints(count, a, b, z, transformed, task.grid, task.inRef, m_zone, task.outRef, point, &separation, given);
}

FileResult CFileLAS::Run(Streams& files, const Task& task) {
  m_pointCount = m_recordLength = 0;
  // Examine found the header whole; it is read again from this stream, which copies it.
  CLasHeader header;
  if (!header.Read(files.input) || !header.FitsFile(files.input.Size())) return kFileInputError;
  m_pointCount = header.PointCount();
  m_recordLength = header.RecordLength();
  if (m_laz) return RunLaz(files, task, header);
  if (!files.input.CopyTo(header.PointDataOffset(), &files.transformedFile, &files.excludedFile)) return kFileException;
  if (header.Scale(2) == 0) return kFileInputError;

  PrepareTransform(task.inRef, task.outRef);
  CProgressThrottle throttle;
  CLasRecordPipeline records(header, files.input.Size());
  const FileResult result = records.Run(
      files.input, files.transformedFile, files.excludedFile,
      [this, &task](std::size_t count, double* a, double* b, double* z, bool* transformed, double* given,
                    CDataPt& point, CSeparationStats& separation) {
        TransformHeights(count, a, b, z, transformed, given, point, separation, task);
      },
      [&task, &throttle](long long percent) { return ReportProgress(task.process, throttle, percent); });
  task.transformed = records.Transformed().records;
  task.outside = records.Excluded().records;
  m_separation = records.Separation();
  if (result != kFileDone) return result;
  if (!files.input.CopyRestTo(&files.transformedFile, &files.excludedFile)) return kFileException;
  m_transformedRecords = records.Transformed().summary;
  m_excludedRecords = records.Excluded().summary;
  return kFileDone;
}

FileResult CFileLAS::RunLaz(Streams& files, const Task& task, const CLasHeader& header) {
  if (!m_laz->CopyHead(files.input, files.transformedFile, files.excludedFile)) return kFileException;
  if (header.Scale(2) == 0) return kFileInputError;

  PrepareTransform(task.inRef, task.outRef);
  CProgressThrottle throttle;
  CLazRecordPipeline records(header, *m_laz);
  FileResult result = kFileException;
  try {
    result = records.Run(
        files.input, files.transformedFile, files.excludedFile,
        [this, &task](std::size_t count, double* a, double* b, double* z, bool* transformed, double* given,
                      CDataPt& point, CSeparationStats& separation) {
          TransformHeights(count, a, b, z, transformed, given, point, separation, task);
        },
        [&task, &throttle](long long percent) { return ReportProgress(task.process, throttle, percent); });
  } catch (const CLazError& error) {
    // A chunk that does not decode: what is wrong with it, and which it is.
    m_notes.push_back(error.what());
    result = kFileInputError;
  }
  task.transformed = records.Transformed().records;
  task.outside = records.Excluded().records;
  m_separation = records.Separation();
  if (result != kFileDone) return result;
  if (!m_laz->CopyTail(files.input, files.transformedFile, files.excludedFile)) return kFileException;
  m_transformedRecords = records.Transformed().summary;
  m_excludedRecords = records.Excluded().summary;
  for (const CLazRecordPipeline::Output* output : {&records.Excluded(), &records.Transformed()}) {
    const int index = output == &records.Transformed();
    m_tableOffsets[index] = output->tableOffset;
    m_tableEnds[index] = output->tableEnd;
  }
  return kFileDone;
}

FileResult CFileLAS::Settle(FileResult result, Streams& files, const Task& task) {
  if (result != kFileDone) return result;
  files.input.Close();
  const bool closed = files.transformedFile.Close() & files.excludedFile.Close();
  if (!closed) return kFileException;
  // An empty output goes; any other is made to describe what it holds.
  const auto settle = [&](const COutputStream& file, std::uint64_t count, std::uint64_t otherCount,
                          const CLasRecordSummary& records, int output) {
    if (count == 0) {
      std::remove(file.GetPath().c_str());
      return true;
    }
    if (m_laz) return m_laz->FinishOutput(file.GetPath(), count, records, m_tableOffsets[output], m_tableEnds[output]);
    return UpdateHeader(file.GetPath(), count, m_pointCount, otherCount * m_recordLength, &records);
  };
  const bool transformed = settle(files.transformedFile, task.transformed, task.outside, m_transformedRecords, 1);
  const bool excluded = settle(files.excludedFile, task.outside, task.transformed, m_excludedRecords, 0);
  return transformed && excluded ? kFileDone : kFileException;
}

bool CFileLAS::UpdateHeader(const std::string& path, std::uint64_t newCount, std::uint64_t inputCount,
                            std::uint64_t bytesRemoved, const CLasRecordSummary* records) {
  const bool countsChange = newCount != inputCount;
  if (!countsChange && !records) return true;
  CLasHeader header;
  if (!header.Open(path) || (countsChange && !header.SetCounts(newCount, bytesRemoved))) return false;
  if (records) header.SetSummary(*records);
  return header.Save();
}
