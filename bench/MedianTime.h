#pragma once
// The median time of repeated calls, after a few unmeasured ones that warm the caches
// (and, for drawing, the font glyphs).

#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

constexpr int kWarmUpRuns = 5;

inline double MedianMs(int runs, const std::function<void()>& work) {
  for (int i = 0; i < kWarmUpRuns; ++i) work();
  std::vector<double> times;
  times.reserve(static_cast<std::size_t>(runs));
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    work();
    times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  std::nth_element(times.begin(), times.begin() + runs / 2, times.end());
  return times[static_cast<std::size_t>(runs / 2)];
}
