#include "files/FileBase.h"

#include <cmath>
#include <cstdio>

#include "files/InputStream.h"
#include "files/OutputStream.h"
#include "grid/GridInt.h"
#include "process/ProcessBase.h"
#include "trans/CoordConv.h"
#include "trans/TransBase.h"

namespace {

// Above this magnitude (both coordinates) a position is easting and northing in metres.
constexpr double kMapGridThreshold = 200.0;

}  // namespace

std::string CFileBase::MakeOutputName(const CTransBase* ref, const std::string& path) {
  // Only the file name is searched: a "." in a folder name must not move the output
  // into another folder.
  const std::size_t slash = path.find_last_of("/\\");
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot < nameStart || !ref) return "";
  return path.substr(0, dot) + "_" + ref->GetShortName() + path.substr(dot);
}

void CFileBase::PrepareTransform(const CTransBase* inRef, const CTransBase* outRef) {
  m_useGrid = !(inRef && outRef && inRef->GetName() == "NULL" && outRef->GetName() == "Block Shift");
}

bool CFileBase::TransformPoint(double a, double b, const CGridInt* grid, const CTransBase* inRef, int zone,
                               const CTransBase* outRef, double& z) {
  if (!std::isfinite(a) || !std::isfinite(b) || !std::isfinite(z) || !inRef || !outRef) return false;
  double value = z;
  if (m_useGrid) {
    double latitude = b;
    double longitude = a;
    if (std::fabs(b) > kMapGridThreshold && std::fabs(a) > kMapGridThreshold) {
      CCoordConv::Instance().GridToGeo(zone, a, b, latitude, longitude);
    }
    if (!grid || !grid->Interpolate(latitude, longitude, m_point)) return false;
    value += inRef->GetSeparation(m_point);
  }
  value -= outRef->GetSeparation(m_point);
  if (!std::isfinite(value)) return false;
  z = value;
  return true;
}

bool CFileBase::CloseFiles(CInputStream& input, COutputStream& transformedFile, COutputStream& excludedFile,
                           std::uint64_t transformedRecords, std::uint64_t excludedRecords) {
  input.Close();
  bool ok = transformedFile.Close();
  ok = excludedFile.Close() && ok;
  if (transformedRecords == 0 && transformedFile.WasCreated()) std::remove(transformedFile.GetPath().c_str());
  if (excludedRecords == 0 && excludedFile.WasCreated()) std::remove(excludedFile.GetPath().c_str());
  return ok;
}

bool CFileBase::ReportProgress(CProcessBase* process, CProgressThrottle& throttle, long long percent) {
  if (!process) return false;
  throttle.Report(*process, percent);
  return process->IsCancelled();
}

FileResult CFileBase::OpenFiles(const std::string& path, const CTransBase* inRef, const CTransBase* outRef,
                                CInputStream& input, COutputStream& transformedFile, COutputStream& excludedFile) {
  if (!input.Open(path)) return kFileInputError;
  if (!transformedFile.Open(MakeOutputName(outRef, path))) return kFileOutputError;
  if (!excludedFile.Open(MakeOutputName(inRef, path))) {
    transformedFile.Close();
    return kFileOutputError;
  }
  return kFileDone;
}

bool CFileBase::ReportProgressRead(CProcessBase* process, CProgressThrottle& throttle, const CInputStream& input) {
  const long long percent = input.Size() ? static_cast<long long>(input.Position() * 100 / input.Size()) : 0;
  return ReportProgress(process, throttle, percent);
}
