#pragma once
// Shared by the grid generation tests: text grid lines and a way to run the job as the
// programs do, with every message recorded.

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "core/grid/GridProc.h"
#include "core/jobs/JobRunner.h"
#include "core/jobs/Messenger.h"
#include "support/TestSupport.h"

namespace gridgen_test {

constexpr double kMinute = 1.0 / 60.0;  // one 60-second cell in degrees

// The fourteen surfaces of a node: base, base + 0.25, ... in surface order.
inline std::array<double, 14> Surfaces(double base) {
  std::array<double, 14> v{};
  for (int k = 0; k < 14; ++k) v[k] = base + 0.25 * k;
  return v;
}

// A data line as text grids are written, with a decimal point in every locale.
inline std::string Line(double lat, double lon, const std::array<double, 14>& v) {
  const CClassicThreadLocale classic;
  char text[2048];
  int n = std::snprintf(text, sizeof(text), "%.12f %.12f", lat, lon);
  for (double x : v) n += std::snprintf(text + n, sizeof(text) - n, " %.3f", x);
  return std::string(text) + "\n";
}

inline std::string Line(double lat, double lon, double base) { return Line(lat, lon, Surfaces(base)); }

// Runs the job through the default runner without console output and records what it
// shows.
struct CGridRun {
  explicit CGridRun(const CGridProc::Settings& settings, CProcessWindow* window = nullptr) : job(settings) {
    CScopedMessenger scoped(&messenger);
    job.SetCancel(false);
    if (window) job.SetWindow(window);
    CThreadJobRunner(false).RunModal(job, "Building grid file", true);
  }
  std::vector<std::string> Messages() const { return messenger.Messages(); }
  // The summary lines, or none when no summary was shown.
  std::vector<std::string> Summary() const {
    for (const auto& e : messenger.Entries())
      if (e.kind == CRecordingMessenger::Entry::MessageList && e.text == "Grid summary") return e.lines;
    return {};
  }
  bool HasSummary() const {
    for (const auto& e : messenger.Entries())
      if (e.kind == CRecordingMessenger::Entry::MessageList) return true;
    return false;
  }

  CRecordingMessenger messenger;
  CGridProc job;
};

}  // namespace gridgen_test
