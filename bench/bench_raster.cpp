// The raster handler against gdal_translate copying the same file to a new GeoTIFF with
// the same creation options, on a 10000 x 10000 Float32 GeoTIFF (DEFLATE, tiled) of
// made-up depths in MGA zone 56 on a 1 m lattice, inside the demo grid north of Sydney:
//   speed    cells per second of CFileRaster (LAT to AHD on the demo grid) and of
//            gdal_translate, and their ratio (>= 0.33); best of two turns each
//   memory   peak resident memory (VmHWM) of a fresh process running the handler on a
//            2000 x 2000 and on the 10000 x 10000 raster: the same, whatever the size
// MAREVERT_BENCH_SCALE (default 1) scales the large raster's side; MAREVERT_BENCH_ONLY
// (speed or memory) runs one part. Files live in a temporary folder removed at the end.

#include <gdal_priv.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "PeakMemory.h"
#include "core/grid/GridInt.h"
#include "core/trans/TransFactory.h"
#include "gdal/FileRaster.h"
#include "gdal/GdalSession.h"

namespace fs = std::filesystem;

namespace {

// North-west corner of the raster: MGA zone 56, off the coast north of Sydney.
constexpr double kWest = 383000.0, kNorth = 6325000.0;
constexpr double kCell = 1.0;  // metres
constexpr int kTurns = 2;

struct CTimes {
  double wall = 1e30, cpu = 1e30;  // seconds; cpu: this process's threads and its children
};

double CpuSeconds() {
  double total = 0;
  for (const int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
    rusage usage{};
    getrusage(who, &usage);
    total += usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  }
  return total;
}

// The best wall-clock and processor times of `work` so far.
void Time(CTimes& best, const std::function<void()>& work) {
  sync();
  const double cpu = CpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  work();
  best.wall = std::min(best.wall, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  best.cpu = std::min(best.cpu, CpuSeconds() - cpu);
}

// Made-up depths: a gently sloping, rolling sea floor with centimetre noise.
void WriteRaster(const std::string& path, int side) {
  EnsureGdalRegistered();
  GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GTiff");
  const char* options[] = {"TILED=YES", "COMPRESS=DEFLATE", nullptr};
  GDALDatasetUniquePtr dataset(driver->Create(path.c_str(), side, side, 1, GDT_Float32, const_cast<char**>(options)));
  double geoTransform[6] = {kWest, kCell, 0, kNorth, 0, -kCell};
  dataset->SetGeoTransform(geoTransform);
  OGRSpatialReference mga;
  mga.importFromEPSG(28356);
  dataset->SetSpatialRef(&mga);
  GDALRasterBand* band = dataset->GetRasterBand(1);
  band->SetNoDataValue(-9999.0);
  std::mt19937 rng(11);
  std::uniform_real_distribution<float> noise(-0.05f, 0.05f);
  constexpr int kRows = 256;
  std::vector<float> rows(static_cast<std::size_t>(side) * kRows);
  for (int top = 0; top < side; top += kRows) {
    const int count = std::min(kRows, side - top);
    for (int r = 0; r < count; ++r) {
      for (int c = 0; c < side; ++c) {
        const double y = top + r, x = c;
        rows[static_cast<std::size_t>(r) * side + c] =
            static_cast<float>(12.0 + x * 0.002 + 3.0 * std::sin(x / 700.0) * std::cos(y / 900.0)) + noise(rng);
      }
    }
    if (band->RasterIO(GF_Write, 0, top, side, count, rows.data(), side, count, GDT_Float32, 0, 0, nullptr) !=
        CE_None) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      std::exit(1);
    }
  }
}

FileResult Transform(const CGridInt& grid, const std::string& path, std::uint64_t& transformed) {
  CFileRaster handler;
  std::uint64_t outside = 0;
  const CTransFactory& references = CTransFactory::Instance();
  return handler.Process(path, &grid, references.Find("LAT"), references.Find("AHD"), nullptr, 56, outside,
                         transformed);
}

// Peak resident memory of a fresh process (this program, started again) that loads the
// demo grid and transforms `path`.
long long ChildPeakKiB(const std::string& path) {
  const std::string command = "'" + fs::read_symlink("/proc/self/exe").string() + "' --peak '" + path + "'";
  std::FILE* child = popen(command.c_str(), "r");
  if (!child) return -1;
  long long peak = -1;
  if (std::fscanf(child, "%lld", &peak) != 1) peak = -1;
  pclose(child);
  return peak;
}

void RemoveOutputs(const fs::path& dir, const std::string& stem) {
  for (const char* suffix : {"_AHD.tif", "_LAT.tif", "_copy.tif"}) fs::remove(dir / (stem + suffix));
}

}  // namespace

int main(int argc, char** argv) {
  const std::string gridPath = MAREVERT_SOURCE_DIR "/data/Marevert_Demo_Synthetic_NotForNavigation.MRGGrid";
  if (argc == 3 && std::strcmp(argv[1], "--peak") == 0) {
    CGridInt grid;
    grid.LoadFile(gridPath);
    std::uint64_t transformed = 0;
    Transform(grid, argv[2], transformed);
    std::printf("%lld\n", PeakKiB());
    return 0;
  }
  const double scale = std::getenv("MAREVERT_BENCH_SCALE") ? std::atof(std::getenv("MAREVERT_BENCH_SCALE")) : 1.0;
  const char* only = std::getenv("MAREVERT_BENCH_ONLY");
  const auto wanted = [&](const char* part) { return !only || std::strcmp(only, part) == 0; };
  const int side = std::max(256, static_cast<int>(10000 * scale));
  const int smallSide = std::max(256, side / 5);
  const fs::path dir = fs::temp_directory_path() / ("marevert-bench-raster-" + std::to_string(getpid()));
  fs::create_directories(dir);
  const std::string large = (dir / "large.tif").string(), small = (dir / "small.tif").string();
  WriteRaster(large, side);
  const double cells = static_cast<double>(side) * side;

  if (wanted("speed")) {
    CGridInt grid;
    grid.LoadFile(gridPath);
    const std::string copy = "gdal_translate -q -co COMPRESS=DEFLATE -co TILED=YES '" + large + "' '" +
                             (dir / "large_copy.tif").string() + "'";
    CTimes translate, ours;
    FileResult result = kFileDone;
    std::uint64_t transformed = 0;
    // The two take turns, each writing new files, so that both meet the machine alike.
    for (int turn = 0; turn < kTurns; ++turn) {
      RemoveOutputs(dir, "large");
      Time(translate, [&] { (void)!std::system(copy.c_str()); });
      RemoveOutputs(dir, "large");
      Time(ours, [&] { result = Transform(grid, large, transformed); });
    }
    RemoveOutputs(dir, "large");
    std::printf(
        "GeoTIFF %d x %d Float32 (DEFLATE, tiled), MGA 56: gdal_translate %.3f s (%.2f M cells/s), CFileRaster "
        "%.3f s (%.2f M cells/s, result %d, %llu transformed), ratio %.2f (>= 0.33)\n",
        side, side, translate.wall, cells / translate.wall / 1e6, ours.wall, cells / ours.wall / 1e6, result,
        static_cast<unsigned long long>(transformed), translate.wall / ours.wall);
    std::printf("  processor time: gdal_translate %.3f s, CFileRaster %.3f s (both threads), ratio %.2f\n",
                translate.cpu, ours.cpu, translate.cpu / ours.cpu);
  }

  if (wanted("memory")) {
    WriteRaster(small, smallSide);
    const long long peakSmall = ChildPeakKiB(small);
    RemoveOutputs(dir, "small");
    const long long peakLarge = ChildPeakKiB(large);
    RemoveOutputs(dir, "large");
    std::printf("peak memory (VmHWM) of CFileRaster: %d x %d %lld KiB, %d x %d %lld KiB\n", smallSide, smallSide,
                peakSmall, side, side, peakLarge);
  }

  fs::remove_all(dir);
  return 0;
}
