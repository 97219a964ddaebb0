#include "core/files/FileBase.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "core/common/InputStream.h"
#include "core/common/OutputStream.h"
#include "core/common/StagedFile.h"
#include "core/grid/GridInt.h"
#include "core/jobs/ProcessBase.h"
#include "core/trans/CoordConv.h"
#include "core/trans/TransBase.h"
#include "core/trans/TransSurface.h"

std::string CFileBase::MakeOutputName(const CTransBase* ref, const std::string& path) {
  // Only the file name is searched: a "." in a folder name must not move the output
  // into another folder.
  const std::size_t slash = path.find_last_of("/\\");
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot < nameStart || !ref) return "";
  return path.substr(0, dot) + "_" + ref->GetShortName() + path.substr(dot);
}

CFileBase::CFileBase() = default;
CFileBase::~CFileBase() = default;

FileResult CFileBase::Process(const std::string& path, const CGridInt* grid, const CTransBase* inRef,
                              const CTransBase* outRef, CProcessBase* process, int zone, std::uint64_t& outside,
                              std::uint64_t& transformed) {
  outside = transformed = 0;
  m_notes.clear();
  m_separation = CSeparationStats();
  m_staged.clear();
  FileResult result = kFileException;
  try {
    result = TransformFile(path, Task{grid, inRef, outRef, process, zone, outside, transformed});
  } catch (...) {
    result = kFileException;
  }
  try {
    return PublishOutputs(result);
  } catch (...) {
    return kFileException;
  }
}

std::string CFileBase::StageOutput(const std::string& finalPath, std::string* error) {
  auto staged = std::make_unique<CStagedFile>(finalPath, CStagedFile::Naming::kBesideFinal);
  std::string why;
  if (!staged->CanReplaceFinal(why)) {
    if (error) *error = why;
    return "";
  }
  staged->RemoveStale();
  m_staged.push_back(std::move(staged));
  return m_staged.back()->GetTempPath();
}

void CFileBase::ReplaceFinal(const std::string& finalPath) {
  std::error_code ec;
  std::filesystem::remove(finalPath, ec);
}

void CFileBase::StageSideFile(const std::string& finalPath, const std::string& sideTempPath) {
  m_staged.push_back(std::make_unique<CStagedFile>(finalPath, sideTempPath));
}

FileResult CFileBase::PublishOutputs(FileResult result) {
  bool left = false;
  for (const std::unique_ptr<CStagedFile>& staged : m_staged) {
    bool moved = false;
    std::string error;
    if (!staged->CommitIfWritten(moved, error)) {
      m_notes.push_back("Cannot move " + staged->GetTempPath() + " to " + staged->GetFinalPath() + ": " + error);
      if (result == kFileDone) result = kFileOutputError;
    }
    left = left || moved;
  }
  m_staged.clear();
  if (result == kFileCancelled && left)
    m_notes.push_back("The outputs left are partial: they hold what was written before the cancel");
  return result;
}

std::string CFileBase::GetOutputPath(const CTransBase* ref, const std::string& path) {
  return MakeOutputName(ref, path);
}

FileResult CFileBase::TransformFile(const std::string& path, const Task& task) {
  Streams files;
  if (const FileResult opened =
          OpenFiles(path, task.inRef, task.outRef, files.input, files.transformedFile, files.excludedFile);
      opened != kFileDone)
    return opened;
  return Settle(Run(files, task), files, task);
}

FileResult CFileBase::Run(Streams&, const Task&) { return kFileNotImplemented; }

FileResult CFileBase::Settle(FileResult result, Streams& files, const Task& task) {
  return CloseFiles(result, files.input, files.transformedFile, files.excludedFile, task.transformed, task.outside);
}

double CFileBase::GetSign() const { return m_sign ? *m_sign : CTransBase::s_sign; }

void CFileBase::PrepareTransform(const CTransBase* inRef, const CTransBase* outRef) {
  m_useGrid = !(inRef && outRef && inRef->GetName() == "NULL" && outRef->GetName() == "Block Shift");
  m_preparedIn = inRef;
  m_preparedOut = outRef;
  m_coordConv = &CCoordConv::Instance();  // created here, before any worker thread asks
  m_inSurface = dynamic_cast<const CTransSurface*>(inRef);
  m_outSurface = dynamic_cast<const CTransSurface*>(outRef);
  m_surfaceCount = 0;
  m_allSurfaces = false;
  // Any other answer reads no surface (the ellipsoids read the position at most).
  for (const CTransBase* ref : {inRef, outRef}) {
    const int surface = ref ? ref->GetSurfaceRead() : CDataPt::kEllipsoid;
    if (surface >= 0 && surface < CDataPt::kSurfaceCount)
      m_surfaces[m_surfaceCount++] = surface;
    else if (surface == CTransBase::kAllSurfaces)
      m_allSurfaces = true;
  }
}

bool CFileBase::TransformPoint(double a, double b, const CGridInt* grid, const CTransBase* inRef, int zone,
                               const CTransBase* outRef, double& z) {
  bool transformed = false;
  TransformPoints(1, &a, &b, &z, &transformed, grid, inRef, zone, outRef, m_point, &m_separation);
  return transformed;
}

void CFileBase::TransformPoints(std::size_t count, const double* a, const double* b, double* z, bool* transformed,
                                const CGridInt* grid, const CTransBase* inRef, int zone, const CTransBase* outRef,
                                CDataPt& point, CSeparationStats* separation, double* given) const {
  const bool prepared = inRef == m_preparedIn && outRef == m_preparedOut && !m_allSurfaces;
  constexpr std::size_t kBatch = 16;
  // Where each point of a batch was interpolated, for the references that read it.
  double latitudes[kBatch], longitudes[kBatch];
  // The class-wide value is read only when needed: a caller with its own sign must not
  // touch it.
  const double sign = GetSign();
  // A surface reference's separation straight from the model's decoding table (which
  // also decodes under the model's own coding values, when it has them).
  const CTransSurface* inSurface = prepared ? m_inSurface : dynamic_cast<const CTransSurface*>(inRef);
  const CTransSurface* outSurface = prepared ? m_outSurface : dynamic_cast<const CTransSurface*>(outRef);
  const auto separationOf = [&](const CTransBase* ref, const CTransSurface* surface, std::size_t i) {
    return surface ? CTransSurface::SeparationOf(grid->DecodeValue(point.m_codes[surface->GetSurface()]), sign)
                   : ref->GetSeparation(point, latitudes[i], longitudes[i], sign);
  };
  CGridInt::Cell cells[kBatch];
  // Gathered here, in registers, and handed over once: `separation` may alias anything.
  CSeparationStats applied;
  // The last cell found, which the next point most likely shares. A later point may
  // reuse its slot; LocateCell reads the hint before writing and leaves the slot as it
  // was when the point is outside, so the slot always holds a located cell.
  const CGridInt::Cell* last = nullptr;
  for (std::size_t start = 0; start < count; start += kBatch) {
    const std::size_t n = std::min(kBatch, count - start);
    // First the cells of the whole batch (which starts fetching their corners) ...
    for (std::size_t i = 0; i < n; ++i) {
      const std::size_t p = start + i;
      bool ok = std::isfinite(a[p]) && std::isfinite(b[p]) && std::isfinite(z[p]) && inRef && outRef;
      if (ok && m_useGrid) {
        double latitude = b[p];
        double longitude = a[p];
        if (std::fabs(b[p]) > kMapGridThreshold && std::fabs(a[p]) > kMapGridThreshold) {
          (m_coordConv ? *m_coordConv : CCoordConv::Instance()).GridToGeo(zone, a[p], b[p], latitude, longitude);
        }
        ok = grid && grid->LocateCell(latitude, longitude, cells[i], last);
        if (ok) last = &cells[i];
        latitudes[i] = latitude;
        longitudes[i] = longitude;
      }
      transformed[p] = ok;
    }
    // ... then the values.
    for (std::size_t i = 0; i < n; ++i) {
      const std::size_t p = start + i;
      if (!transformed[p]) continue;
      double value = z[p];
      double added = 0;  // what the value is given, apart from its rounding
      if (m_useGrid) {
        if (prepared)
          grid->InterpolateCell(cells[i], m_surfaces, m_surfaceCount, point);
        else
          grid->InterpolateCell(cells[i], point);
        const double in = separationOf(inRef, inSurface, i), out = separationOf(outRef, outSurface, i);
        value += in;
        value -= out;
        added = in - out;
      } else {
        const double shift = outRef->GetSeparation(point, 0.0, 0.0, sign);  // a shift reads no position
        value -= shift;
        added = -shift;
      }
      if (!std::isfinite(value)) {
        transformed[p] = false;
        continue;
      }
      z[p] = value;
      if (separation) applied.Add(added);
      if (given) given[p] = added;
    }
  }
  if (separation) separation->Merge(applied);
}

FileResult CFileBase::CloseFiles(FileResult result, CInputStream& input, COutputStream& transformedFile,
                                 COutputStream& excludedFile, std::uint64_t transformedRecords,
                                 std::uint64_t excludedRecords) {
  if (result == kFileDone && input.Failed()) result = kFileInputError;
  input.Close();
  bool ok = transformedFile.Close();
  ok = excludedFile.Close() && ok;
  if (transformedRecords == 0 && transformedFile.WasCreated()) std::remove(transformedFile.GetPath().c_str());
  if (excludedRecords == 0 && excludedFile.WasCreated()) std::remove(excludedFile.GetPath().c_str());
  return ok || result != kFileDone ? result : kFileOutputError;
}

bool CFileBase::ReportProgress(CProcessBase* process, CProgressThrottle& throttle, long long percent) {
  if (!process) return false;
  throttle.Report(*process, percent);
  return process->IsCancelled();
}

FileResult CFileBase::OpenFiles(const std::string& path, const CTransBase* inRef, const CTransBase* outRef,
                                CInputStream& input, COutputStream& transformedFile, COutputStream& excludedFile) {
  if (!input.Open(path)) return kFileInputError;
  // An empty name (a file name without ".") fails to open.
  const auto open = [this](COutputStream& output, const std::string& finalPath) {
    if (!output.Open(finalPath.empty() ? finalPath : StageOutput(finalPath))) return false;
    ReplaceFinal(finalPath);
    return true;
  };
  if (!open(transformedFile, MakeOutputName(outRef, path))) return kFileOutputError;
  if (!open(excludedFile, MakeOutputName(inRef, path))) {
    transformedFile.Close();
    return kFileOutputError;
  }
  return kFileDone;
}

bool CFileBase::ReportProgressRead(CProcessBase* process, CProgressThrottle& throttle, std::uint64_t position,
                                   const CInputStream& input) {
  const long long percent = input.Size() ? static_cast<long long>(position * 100 / input.Size()) : 0;
  return ReportProgress(process, throttle, percent);
}
