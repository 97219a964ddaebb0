// A batch of files on several cores against the same batch one file after another:
// `marevert-cli transform --jobs 2` (and 4) of 8 xyz files of 1,000,000 random points
// inside a synthetic grid, side by side with `--jobs 1`, as whole program runs taking
// turns, best of kRuns each. Prints the wall times and the ratio (target, on two cores:
// --jobs 2 at most 0.6 times --jobs 1), and each run's peak resident memory against
// --jobs 1's (target: --jobs N at most N times). MAREVERT_BENCH_SCALE (default 1)
// scales the points per file.

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "BenchTempDir.h"
#include "BenchGridFile.h"
#include "ProgramRun.h"

namespace fs = std::filesystem;

namespace {

constexpr CBenchLattice kLattice{600, 600, 1.0 / 60, -36, 148};  // 10 x 10 degrees at 1 minute
constexpr int kFiles = 8;
constexpr int kRuns = 3;
constexpr int kJobs[] = {1, 2, 4};

// Points inside the grid: longitude latitude depth, as survey text files write them.
void WriteSurveyFile(const std::string& path, long points, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> lon(kLattice.west, kLattice.west + 9.9);
  std::uniform_real_distribution<double> lat(kLattice.south, kLattice.south + 9.9), depth(0, 60);
  std::ofstream out(path, std::ios::binary);
  char line[64];
  for (long i = 0; i < points; ++i) {
    const int length = std::snprintf(line, sizeof line, "%.6f %.6f %.2f\n", lon(random), lat(random), depth(random));
    out.write(line, length);
  }
}

}  // namespace

int main() {
  const double scale = std::getenv("MAREVERT_BENCH_SCALE") ? std::atof(std::getenv("MAREVERT_BENCH_SCALE")) : 1.0;
  const long points = static_cast<long>(1000000 * scale);
  const fs::path dir = MakeBenchDir("marevert-bench-jobs");
  const std::string grid = (dir / "grid.MRGGrid").string();
  WriteBenchGridFile(grid, kLattice);
  std::vector<std::string> files;
  for (int i = 0; i < kFiles; ++i) {
    files.push_back((dir / ("survey" + std::to_string(i) + ".xyz")).string());
    WriteSurveyFile(files.back(), points, 17u + static_cast<unsigned>(i));
  }

  CProgramRun runs[std::size(kJobs)];
  for (int round = 0; round < kRuns; ++round) {
    for (std::size_t j = 0; j < std::size(kJobs); ++j) {
      std::vector<std::string> arguments = {
          MAREVERT_BIN_DIR "/marevert-cli", "transform", "--grid", grid, "--from", "LAT", "--to", "AHD", "--jobs",
          std::to_string(kJobs[j])};
      arguments.insert(arguments.end(), files.begin(), files.end());
      MeasureProgram(arguments, runs[j]);
      for (const auto& entry : fs::directory_iterator(dir))
        if (entry.path().stem().string().find('_') != std::string::npos) fs::remove(entry.path());
    }
  }

  std::printf("batch of %d xyz files x %ld random points, marevert-cli transform, %u cores (best of %d)\n", kFiles,
              points, std::thread::hardware_concurrency(), kRuns);
  for (std::size_t j = 0; j < std::size(kJobs); ++j) {
    std::printf("  --jobs %d  %7.3f s  peak %6.1f MB   time ratio %.2f  memory ratio %.2f (target <= %d)\n", kJobs[j],
                runs[j].seconds, runs[j].peakKiB / 1024.0, runs[j].seconds / runs[0].seconds,
                static_cast<double>(runs[j].peakKiB) / runs[0].peakKiB, kJobs[j]);
  }
  std::printf("  --jobs 2 / --jobs 1 time ratio %.2f (target <= 0.6 on two cores)\n",
              runs[1].seconds / runs[0].seconds);
  fs::remove_all(dir);
  return 0;
}
