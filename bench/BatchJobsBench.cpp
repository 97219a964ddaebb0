// A batch of files on several cores against the same batch one file after another:
// `marevert-cli transform --jobs 2` (and 4) of 8 xyz files of 1,000,000 random points
// inside a synthetic grid, side by side with `--jobs 1`, as whole program runs taking
// turns, best of kRuns each. Prints the wall times and the ratio (target, on two cores:
// --jobs 2 at most 0.6 times --jobs 1), and each run's peak resident memory against
// --jobs 1's (target: --jobs N at most N times). MAREVERT_BENCH_SCALE (default 1)
// scales the points per file.

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
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

#include "BenchGridFile.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

constexpr CBenchLattice kLattice{600, 600, 1.0 / 60, -36, 148};  // 10 x 10 degrees at 1 minute
constexpr int kFiles = 8;
constexpr int kRuns = 3;
constexpr int kJobs[] = {1, 2, 4};

struct CRun {
  double seconds = 1e30;
  long peakKiB = 0;  // the largest of the runs
};

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

// Runs the program and waits for it; its wall time and peak resident memory (KiB).
void Measure(const std::vector<std::string>& arguments, CRun& run) {
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  sync();  // earlier runs' writes are not this run's
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) std::exit(1);
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  posix_spawn_file_actions_destroy(&actions);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "marevert-cli failed\n");
    std::exit(1);
  }
  run.seconds = std::min(run.seconds, seconds);
  run.peakKiB = std::max(run.peakKiB, usage.ru_maxrss);
}

}  // namespace

int main() {
  const double scale = std::getenv("MAREVERT_BENCH_SCALE") ? std::atof(std::getenv("MAREVERT_BENCH_SCALE")) : 1.0;
  const long points = static_cast<long>(1000000 * scale);
  char pattern[] = "/tmp/marevert-bench-jobs-XXXXXX";
  if (mkdtemp(pattern) == nullptr) return 1;
  const fs::path dir = pattern;
  const std::string grid = (dir / "grid.MRGGrid").string();
  WriteBenchGridFile(grid, kLattice);
  std::vector<std::string> files;
  for (int i = 0; i < kFiles; ++i) {
    files.push_back((dir / ("survey" + std::to_string(i) + ".xyz")).string());
    WriteSurveyFile(files.back(), points, 17u + static_cast<unsigned>(i));
  }

  CRun runs[std::size(kJobs)];
  for (int round = 0; round < kRuns; ++round) {
    for (std::size_t j = 0; j < std::size(kJobs); ++j) {
      std::vector<std::string> arguments = {MAREVERT_BIN_DIR "/marevert-cli", "transform", "--grid", grid,
                                            "--from", "LAT", "--to", "AHD", "--jobs", std::to_string(kJobs[j])};
      arguments.insert(arguments.end(), files.begin(), files.end());
      Measure(arguments, runs[j]);
      for (const auto& entry : fs::directory_iterator(dir))
        if (entry.path().stem().string().find('_') != std::string::npos) fs::remove(entry.path());
    }
  }

  std::printf("batch of %d xyz files x %ld random points, marevert-cli transform, %u cores (best of %d)\n", kFiles,
              points, std::thread::hardware_concurrency(), kRuns);
  for (std::size_t j = 0; j < std::size(kJobs); ++j) {
    std::printf("  --jobs %d  %7.3f s  peak %6.1f MB   time ratio %.2f  memory ratio %.2f (target <= %d)\n",
                kJobs[j], runs[j].seconds, runs[j].peakKiB / 1024.0, runs[j].seconds / runs[0].seconds,
                static_cast<double>(runs[j].peakKiB) / runs[0].peakKiB, kJobs[j]);
  }
  std::printf("  --jobs 2 / --jobs 1 time ratio %.2f (target <= 0.6 on two cores)\n", runs[1].seconds / runs[0].seconds);
  fs::remove_all(dir);
  return 0;
}
