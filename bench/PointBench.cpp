// The point computation (checks, interpolation, fifteen separations, ordered rows) next
// to its irreducible part, one bare grid interpolation, at the same positions.

#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "PointBenchGrid.h"
#include "core/grid/GridInt.h"
#include "core/trans/PointTransform.h"

namespace {

template <typename F>
double NanosecondsPerCall(int calls, F&& call) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < calls; ++i) call(i);
  const auto end = std::chrono::steady_clock::now();
  return std::chrono::duration<double, std::nano>(end - start).count() / calls;
}

}  // namespace

int main() {
  CGridInt grid;
  BuildPointBenchGrid(grid);

  constexpr int kPositions = 4096;
  std::mt19937 random(42);
  std::uniform_real_distribution<double> offset(0.01, (kSide - 2) * kGridSize);
  std::vector<double> lats(kPositions), lons(kPositions);
  std::vector<std::string> latTexts(kPositions), lonTexts(kPositions);
  for (int i = 0; i < kPositions; ++i) {
    lats[i] = -40 + offset(random);
    lons[i] = 140 + offset(random);
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", lats[i]);
    latTexts[i] = text;
    std::snprintf(text, sizeof text, "%.6f", lons[i]);
    lonTexts[i] = text;
  }

  constexpr int kCalls = 200000;
  double sink = 0;
  CPointTransform point;
  const std::string height = "12.34";
  // Warm-up, then measure each side.
  for (int i = 0; i < 1000; ++i)
    point.Compute(latTexts[i % kPositions], lonTexts[i % kPositions], height, "AHD", &grid);
  const double baseline = NanosecondsPerCall(kCalls, [&](int i) {
    CDataPt result;
    if (grid.Interpolate(lats[i % kPositions], lons[i % kPositions], result)) sink += result.GetValue(6);
  });
  const double ours = NanosecondsPerCall(kCalls, [&](int i) {
    point.Compute(latTexts[i % kPositions], lonTexts[i % kPositions], height, "AHD", &grid);
    sink += point.GetRows().front().m_height;
  });
  std::printf("point computation: %.0f ns per call (%.4f ms)\n", ours, ours / 1e6);
  std::printf("bare interpolation (baseline): %.0f ns per call\n", baseline);
  std::printf("ratio point/interpolation: %.1f\n", ours / baseline);
  std::printf("(checksum %.3f)\n", sink);
  return 0;
}
