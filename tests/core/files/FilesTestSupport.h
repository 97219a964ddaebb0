#pragma once
// A small in-memory grid and the references and job the handler tests share.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/files/FileBase.h"
#include "core/grid/DataPt.h"
#include "core/grid/GridInt.h"
#include "core/jobs/ProcessBase.h"
#include "core/jobs/SharedJob.h"
#include "core/trans/TransBase.h"
#include "core/trans/TransFactory.h"
#include "support/ClassWideValues.h"
#include "support/TestLattice.h"

// The grid covers latitudes -30 to -25 and longitudes 150 to 155 on a 1-degree lattice,
// every node with LAT at -1.20 m and MSL at 0.30 m above the ellipsoid (other surfaces
// 0), so MSL -> LAT adds 1.50 with heights positive and subtracts 1.50 with depths
// positive, wherever a position lies inside. The guard restores the coding values and
// the sign factor.
class CFilesTestGrid {
 public:
  static constexpr double kMslToLat = 1.50;

  explicit CFilesTestGrid(double sign = 1.0) {
    CDataPt::s_offset = -100.0f;
    CDataPt::s_scale = 100.0f;
    CTransBase::s_sign = sign;
    std::array<double, CDataPt::kSurfaceCount> values{};
    values[0] = -1.20;  // LAT
    values[7] = 0.30;   // MSL
    FillUniform(m_grid, -30, 150, 1, 6, 6, CDataPt(values));
  }

  const CGridInt* Grid() const { return &m_grid; }
  static const CTransBase* Msl() { return CTransFactory::Instance().Find("MSL"); }
  static const CTransBase* Lat() { return CTransFactory::Instance().Find("LAT"); }

 private:
  CClassWideValues m_saved;
  CGridInt m_grid;
};

// A job that only carries the cancel flag and records the percentages it is sent.
class CTestJob : public CProcessBase, public CProcessWindow {
 public:
  CTestJob() { SetWindow(this); }
  void Run() override {}
  void OnProcessProgress(unsigned percent) override { m_progress.push_back(percent); }
  void OnProcessText() override {}
  void OnProcessDone() override {}
  std::vector<unsigned> m_progress;
};

// A job that asks to cancel once it is sent `percent` or more.
class CCancelAtJob : public CTestJob {
 public:
  explicit CCancelAtJob(unsigned percent) : m_percent(percent) {}
  void OnProcessProgress(unsigned percent) override {
    CTestJob::OnProcessProgress(percent);
    if (percent >= m_percent) SetCancel(true);
  }

 private:
  unsigned m_percent;
};

// The threads the handlers share their work with, for the guard's life (then one per core).
class CHandlerThreads {
 public:
  explicit CHandlerThreads(unsigned threads) { CSharedJob::SetThreads(threads); }
  ~CHandlerThreads() { CSharedJob::SetThreads(0); }
  CHandlerThreads(const CHandlerThreads&) = delete;
  CHandlerThreads& operator=(const CHandlerThreads&) = delete;
};

// The outcome of one Process call.
struct CRunResult {
  FileResult result;
  std::uint64_t outside = 0, transformed = 0;
};

inline CRunResult RunHandler(CFileBase& handler, const std::string& path, const CGridInt* grid, const CTransBase* inRef,
                             const CTransBase* outRef, CProcessBase* job = nullptr, int zone = 56) {
  CRunResult run{kFileDone};
  run.outside = run.transformed = 12345;  // must be reset by the handler
  run.result = handler.Process(path, grid, inRef, outRef, job, zone, run.outside, run.transformed);
  return run;
}
