// `marevert-cli transform` of a LAZ file (decode, transform and encode, on every core)
// side by side, in one run, with laz-perf's decoding alone of the same file (npm,
// WebAssembly under node, one thread) and with the transform of the same points as LAS:
// point format 1 files of 20,000,000 points in survey-track order (TrackRecords) inside a
// synthetic grid, transformed from LAT to MSL, the LAZ made from the LAS by our encoder in
// LASzip's chunks of 50,000 and read back by laz-perf (the same records, by hash).
//   ours / laz-perf   points per second (target: at least 2 on two cores)
//   LAZ / LAS         the transforms' wall times (target: at most 4)
//   memory            each transform's peak resident memory at 5,000,000 and 20,000,000
//                     points (target: the LAZ transform's the same at both)
// Wall times are the best of three program runs taking turns, laz-perf's the median of
// three; the load average comes first, as other work on the machine weighs on every
// figure. MAREVERT_BENCH_SCALE (default 1) scales the points.

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "BenchTempDir.h"
#include "BenchGridFile.h"
#include "LazFile.h"
#include "LazPerfDecode.h"
#include "ProgramRun.h"
#include "TrackRecords.h"
#include "core/common/ByteOrder.h"

namespace fs = std::filesystem;

namespace {

// 10 x 10 degrees at one minute; the track records' 5 x 5 degrees lie inside it, from
// the header's offsets.
constexpr CBenchLattice kLattice{600, 600, 1.0 / 60, -36, 148};
constexpr double kOffsetX = 148.5, kOffsetY = -35.5;
constexpr int kRuns = 3;

void WriteFile(const std::string& path, const CBytes& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

std::string LoadAverage() {
  std::ifstream in("/proc/loadavg");
  std::string one, five, fifteen;
  in >> one >> five >> fifteen;
  return one + " " + five + " " + fifteen;
}

struct CSize {
  std::size_t points = 0;
  CProgramRun las, laz;
  double lazPerfSeconds = 0;  // 0: not run
  double lazBytes = 0;
};

// Writes cloud.las and cloud.laz of `size.points` points into `dir` and has laz-perf
// read the LAZ (`lazPerfRuns` times) to the records the LAS holds.
void MakeFiles(const fs::path& dir, CSize& size, int lazPerfRuns) {
  const CBytes records = TrackRecords(size.points);
  const std::uint32_t hash = Fnv1a(records);
  CBytes las = MakeLas(1, kTrackRecord, records);
  const double scales[3] = {1e-7, 1e-7, 0.001}, offsets[3] = {kOffsetX, kOffsetY, 0};
  for (int axis = 0; axis < 3; ++axis) {
    WriteLittleEndian(&las[131 + 8 * axis], scales[axis]);
    WriteLittleEndian(&las[155 + 8 * axis], offsets[axis]);
  }
  WriteFile((dir / "cloud.las").string(), las);
  const CBytes laz = LasToLaz(las);
  size.lazBytes = static_cast<double>(laz.size());
  WriteFile((dir / "cloud.laz").string(), laz);

  std::vector<double> seconds;
  for (int run = 0; run < lazPerfRuns; ++run) {
    const CLazPerfDecode decode =
        LazPerfDecode((dir / "cloud.laz").string(), MAREVERT_BENCH_LAZPERF_DIR, MAREVERT_BENCH_SOURCE_DIR);
    if (!decode.ran) {
      std::printf("laz-perf could not run (node, npm and laz-perf needed): %s\n", decode.answer.c_str());
      return;
    }
    if (decode.points != size.points || decode.hash != hash) {
      std::printf("laz-perf read %llu points, records hash %llu (ours %u): NOT our file's records\n", decode.points,
                  decode.hash, hash);
      std::exit(1);
    }
    seconds.push_back(decode.seconds);
  }
  std::sort(seconds.begin(), seconds.end());
  if (!seconds.empty()) size.lazPerfSeconds = seconds[seconds.size() / 2];
}

// The two transforms taking turns, `runs` times each.
void Transform(const fs::path& dir, const std::string& grid, CSize& size, int runs) {
  for (int run = 0; run < runs; ++run) {
    for (const char* extension : {".las", ".laz"}) {
      MeasureProgram({MAREVERT_BIN_DIR "/marevert-cli", "transform", "--grid", grid, "--from", "LAT", "--to", "MSL",
                      (dir / (std::string("cloud") + extension)).string()},
                     std::strcmp(extension, ".las") == 0 ? size.las : size.laz);
      for (const char* ref : {"_MSL", "_LAT"}) fs::remove(dir / (std::string("cloud") + ref + extension));
    }
  }
}

}  // namespace

int main() {
  const double scale = std::getenv("MAREVERT_BENCH_SCALE") ? std::atof(std::getenv("MAREVERT_BENCH_SCALE")) : 1.0;
  const fs::path dir = MakeBenchDir("marevert-bench-laz-transform");
  const std::string grid = (dir / "grid.MRGGrid").string();
  WriteBenchGridFile(grid, kLattice);
  std::printf("load average before the runs (1, 5, 15 minutes): %s; %u cores\n", LoadAverage().c_str(),
              std::thread::hardware_concurrency());

  CSize sizes[2];
  sizes[0].points = static_cast<std::size_t>(5'000'000 * scale);
  sizes[1].points = static_cast<std::size_t>(20'000'000 * scale);
  // The smaller file for memory only; the larger for every figure.
  MakeFiles(dir, sizes[0], 1);
  Transform(dir, grid, sizes[0], 1);
  CSize& big = sizes[1];
  MakeFiles(dir, big, kRuns);
  Transform(dir, grid, big, kRuns);
  std::printf("load average after the runs: %s\n", LoadAverage().c_str());

  const double points = static_cast<double>(big.points);
  std::printf("point format 1, %zu points in survey-track order, LAT to MSL; LAZ %.1f MB (chunks of 50,000)\n",
              big.points, big.lazBytes / 1e6);
  std::printf("  LAZ transform (marevert-cli)  %7.3f s  %6.2f M points/s\n", big.laz.seconds,
              points / big.laz.seconds / 1e6);
  std::printf("  LAS transform (marevert-cli)  %7.3f s  %6.2f M points/s\n", big.las.seconds,
              points / big.las.seconds / 1e6);
  if (big.lazPerfSeconds > 0) {
    std::printf("  laz-perf decode alone         %7.3f s  %6.2f M points/s (one thread; same records as ours)\n",
                big.lazPerfSeconds, points / big.lazPerfSeconds / 1e6);
    std::printf("  ratio LAZ transform / laz-perf decode, points per second: %.2f (target >= 2 on two cores)\n",
                big.lazPerfSeconds / big.laz.seconds);
  }
  std::printf("  ratio LAZ transform / LAS transform, time: %.2f (target <= 4)\n", big.laz.seconds / big.las.seconds);
  for (const CSize& size : sizes) {
    std::printf("  peak memory at %9zu points: LAZ transform %6.1f MB, LAS transform %6.1f MB\n", size.points,
                size.laz.peakKiB / 1024.0, size.las.peakKiB / 1024.0);
  }
  fs::remove_all(dir);
  return 0;
}
