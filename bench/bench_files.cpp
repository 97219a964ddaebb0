// Survey file handlers against plain baselines, on files of realistic size inside a
// synthetic grid (a 60-second lattice over five degrees), with points in random order
// and in survey-track order:
//   xyz text      CFileText vs an fgets + 3 x strtod + printf("%.2f") loop (ratio >= 1)
//   ESRI grid     cells per second vs the baseline loop's lines per second (ratio >= 1)
//   LAS 1.2       CFileLAS time vs the time of cp of the same file (ratio <= 3)
//   threads       the xyz handler (5,000,000 random points) and the ESRI handler (3000 x
//                 3000) on every core vs the same handler on one thread (ratios >= 1.6
//                 and >= 1.5 on two cores), medians of runs taking turns
//   memory        peak resident memory (VmHWM) of a text and a LAS run at two input sizes
// MAREVERT_BENCH_SCALE (default 1) scales every file size; MAREVERT_BENCH_ONLY (xyz,
// esri, las, threads or memory) runs one part. Files live in a temporary
// folder that is removed at the end.

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "PeakMemory.h"
#include "core/files/FileESRIGrid.h"
#include "core/files/FileLAS.h"
#include "core/files/FileText.h"
#include "core/grid/DataPt.h"
#include "core/grid/GridInt.h"
#include "core/jobs/SharedJob.h"
#include "core/trans/TransBase.h"
#include "core/trans/TransFactory.h"

namespace fs = std::filesystem;

namespace {

constexpr double kMinLat = -30, kMinLon = 150, kSpan = 5;
constexpr double kLattice = 1.0 / 60;  // 60 seconds
// Each LAS timing is the best of this many. Files written into memory the machine has
// not used for a while can cost several times the copying itself; later runs reuse
// the memory the removed outputs of earlier runs held.
constexpr int kLasRepeats = 3;

// Each timed step starts with the writes of earlier steps on disk, so that none pays
// for another's write-back.
double Seconds(const std::function<void()>& work) {
  sync();
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BuildGrid(CGridInt& grid) {
  CDataPt::s_offset = -100.0f;
  CDataPt::s_scale = 100.0f;
  CGridInt::Header header;
  header.majorVersion = 1;
  header.gridSize = kLattice;
  header.minLat = kMinLat;
  header.maxLat = kMinLat + kSpan;
  header.minLon = kMinLon;
  header.maxLon = kMinLon + kSpan;
  grid.SetHeader(header);
  const int nodes = static_cast<int>(std::lround(kSpan / kLattice)) + 1;
  grid.SetRowCount(static_cast<std::size_t>(nodes));
  for (int r = 0; r < nodes; ++r) {
    for (int c = 0; c < nodes; ++c) {
      std::array<double, CDataPt::kSurfaceCount> values{};
      for (int k = 0; k < CDataPt::kSurfaceCount; ++k)
        values[k] = -2.0 + 0.25 * k + 0.3 * std::sin(r * 0.01 + c * 0.02);
      grid.SetNode(r, c, CDataPt(values));
    }
  }
}

// Positions inside the grid: uniformly random, or along survey lines (runs of close
// points sweeping back and forth).
class CPositions {
 public:
  explicit CPositions(bool track) : m_track(track), m_rng(42) {}
  void Next(double& lon, double& lat) {
    if (!m_track) {
      lon = kMinLon + 0.01 + m_uniform(m_rng) * (kSpan - 0.02);
      lat = kMinLat + 0.01 + m_uniform(m_rng) * (kSpan - 0.02);
      return;
    }
    m_lon += m_step;  // about 1 m between soundings
    if (m_lon > kMinLon + kSpan - 0.01 || m_lon < kMinLon + 0.01) {
      m_step = -m_step;
      m_lat += 0.0005;
      if (m_lat > kMinLat + kSpan - 0.01) m_lat = kMinLat + 0.01;
    }
    lon = m_lon;
    lat = m_lat + 0.00001 * m_uniform(m_rng);
  }

 private:
  bool m_track;
  std::mt19937_64 m_rng;
  std::uniform_real_distribution<double> m_uniform{0.0, 1.0};
  double m_lon = kMinLon + 0.01, m_lat = kMinLat + 0.01, m_step = 0.00001;
};

void WriteXyz(const std::string& path, long long lines, bool track) {
  std::FILE* out = std::fopen(path.c_str(), "wb");
  CPositions positions(track);
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> depth(-40.0, 5.0);
  for (long long i = 0; i < lines; ++i) {
    double lon, lat;
    positions.Next(lon, lat);
    std::fprintf(out, "%.6f %.6f %.3f\n", lon, lat, depth(rng));
  }
  std::fclose(out);
}

// The plain C loop the text handler is measured against.
long long BaselineXyz(const std::string& in, const std::string& outPath) {
  std::FILE* input = std::fopen(in.c_str(), "r");
  std::FILE* out = std::fopen(outPath.c_str(), "w");
  char line[5096];
  long long count = 0;
  while (std::fgets(line, sizeof line, input)) {
    char* end1;
    char* end2;
    char* end3;
    const double x = std::strtod(line, &end1);
    const double y = std::strtod(end1, &end2);
    const double z = std::strtod(end2, &end3);
    std::fprintf(out, "%.*s%.2f%s", static_cast<int>(end2 - line + 1), line, z + (x > y ? 0.0 : 1.0), end3);
    ++count;
  }
  std::fclose(input);
  std::fclose(out);
  return count;
}

void WriteEsri(const std::string& path, int n) {
  std::FILE* out = std::fopen(path.c_str(), "wb");
  std::fprintf(out, "ncols %d\nnrows %d\nxllcorner 150.5\nyllcorner -29.5\ncellsize 0.001\nNODATA_value -9999\n", n, n);
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> depth(-40.0, 5.0);
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      if ((i * 31 + j * 17) % 23 == 0) {
        std::fputs("-9999 ", out);  // some no-data cells
      } else {
        std::fprintf(out, "%.3f ", depth(rng));
      }
    }
    std::fputc('\n', out);
  }
  std::fclose(out);
}

void WriteLas(const std::string& path, long long points, bool track) {
  constexpr std::size_t kHeader = 227, kRecord = 28;  // point format 1
  std::string header(kHeader, '\0');
  std::memcpy(header.data(), "LASF", 4);
  header[24] = 1;
  header[25] = 2;
  auto put = [&](std::size_t at, const auto value) { std::memcpy(header.data() + at, &value, sizeof value); };
  put(94, std::uint16_t{kHeader});
  put(96, std::uint32_t{kHeader});
  put(104, std::uint8_t{1});
  put(105, std::uint16_t{kRecord});
  put(107, static_cast<std::uint32_t>(points));
  put(131, 1e-7);
  put(139, 1e-7);
  put(147, 0.001);
  put(155, 150.0);
  put(163, -30.0);
  put(171, 0.0);
  std::FILE* out = std::fopen(path.c_str(), "wb");
  std::fwrite(header.data(), 1, kHeader, out);
  CPositions positions(track);
  std::mt19937 rng(5);
  std::uniform_int_distribution<std::int32_t> z(-40000, 5000);
  std::vector<char> block;
  block.reserve(kRecord * 65536);
  for (long long i = 0; i < points; ++i) {
    double lon, lat;
    positions.Next(lon, lat);
    char record[kRecord] = {};
    const auto x = static_cast<std::int32_t>((lon - 150.0) / 1e-7), y = static_cast<std::int32_t>((lat + 30.0) / 1e-7);
    const std::int32_t zz = z(rng);
    std::memcpy(record, &x, 4);
    std::memcpy(record + 4, &y, 4);
    std::memcpy(record + 8, &zz, 4);
    block.insert(block.end(), record, record + kRecord);
    if (block.size() >= kRecord * 65536) {
      std::fwrite(block.data(), 1, block.size(), out);
      block.clear();
    }
  }
  std::fwrite(block.data(), 1, block.size(), out);
  std::fclose(out);
}

// The median seconds of each of `work`, run `rounds` times taking turns, so that every
// one meets the machine in the same states.
std::vector<double> AlternatingMedians(int rounds, const std::vector<std::function<void()>>& work) {
  std::vector<std::vector<double>> times(work.size());
  for (int round = 0; round < rounds; ++round)
    for (std::size_t i = 0; i < work.size(); ++i) times[i].push_back(Seconds(work[i]));
  std::vector<double> medians;
  for (std::vector<double>& t : times) {
    std::nth_element(t.begin(), t.begin() + rounds / 2, t.end());
    medians.push_back(t[static_cast<std::size_t>(rounds / 2)]);
  }
  return medians;
}

// A handler on every core against the same handler on one thread, on the same file.
void CompareThreads(const char* what, CFileBase& handler, const std::string& in,
                    const std::vector<std::string>& outputs, const CGridInt& grid, double target) {
  constexpr int kRounds = 5;
  const CTransBase* msl = CTransFactory::Instance().Find("MSL");
  const CTransBase* lat = CTransFactory::Instance().Find("LAT");
  std::uint64_t outside = 0, transformed = 0;
  const auto run = [&](unsigned threads) {
    return [&, threads] {
      for (const std::string& output : outputs) fs::remove(output);
      CSharedJob::SetThreads(threads);
      handler.Process(in, &grid, msl, lat, nullptr, 56, outside, transformed);
    };
  };
  const std::vector<double> medians = AlternatingMedians(kRounds, {run(1), run(0)});
  CSharedJob::SetThreads(0);
  for (const std::string& output : outputs) fs::remove(output);
  std::printf("%s: one thread %.3f s, %u cores %.3f s (medians of %d), ratio %.2f (>= %.1f on two cores)\n", what,
              medians[0], std::thread::hardware_concurrency(), medians[1], kRounds, medians[0] / medians[1], target);
}

// Runs the text handler on `lines` lines in a child process and answers its VmHWM.
// Peak resident memory of a child process that builds the grid, writes a file of
// `points` points (xyz text, or LAS when `las`) and transforms it.
long long ChildPeakKiB(const fs::path& dir, long long points, bool las) {
  int fds[2];
  if (pipe(fds) != 0) return -1;
  const pid_t child = fork();
  if (child == 0) {
    close(fds[0]);
    CGridInt grid;
    BuildGrid(grid);
    const std::string in = (dir / (las ? "mem.las" : "mem.xyz")).string();
    CFileText text;
    CFileLAS cloud;
    CFileBase& handler = las ? static_cast<CFileBase&>(cloud) : text;
    if (las) {
      WriteLas(in, points, false);
    } else {
      WriteXyz(in, points, false);
    }
    std::uint64_t outside = 0, transformed = 0;
    handler.Process(in, &grid, CTransFactory::Instance().Find("MSL"), CTransFactory::Instance().Find("LAT"), nullptr,
                    56, outside, transformed);
    const long long peak = PeakKiB();
    (void)!write(fds[1], &peak, sizeof peak);
    _exit(0);
  }
  close(fds[1]);
  long long peak = -1;
  (void)!read(fds[0], &peak, sizeof peak);
  close(fds[0]);
  waitpid(child, nullptr, 0);
  return peak;
}

}  // namespace

int main() {
  const double scale = std::getenv("MAREVERT_BENCH_SCALE") ? std::atof(std::getenv("MAREVERT_BENCH_SCALE")) : 1.0;
  const char* only = std::getenv("MAREVERT_BENCH_ONLY");
  const auto wanted = [&](const char* part) { return !only || std::strcmp(only, part) == 0; };
  const fs::path dir = fs::temp_directory_path() / ("marevert-bench-files-" + std::to_string(getpid()));
  fs::create_directories(dir);
  const auto file = [&](const char* name) { return (dir / name).string(); };

  CGridInt grid;
  BuildGrid(grid);
  const CTransBase* msl = CTransFactory::Instance().Find("MSL");
  const CTransBase* lat = CTransFactory::Instance().Find("LAT");
  std::uint64_t outside = 0, transformed = 0;
  double baselineLinesPerSecond = 0;

  const auto xyzLines = static_cast<long long>(5'000'000 * scale);
  for (const bool track : {false, true}) {
    if (!wanted("xyz") && !wanted("esri")) break;
    const char* order = track ? "track order" : "random order";
    WriteXyz(file("in.xyz"), xyzLines, track);
    const double base = Seconds([&] { BaselineXyz(file("in.xyz"), file("base.xyz")); });
    CFileText handler;
    FileResult result = kFileDone;
    const double ours =
        Seconds([&] { result = handler.Process(file("in.xyz"), &grid, msl, lat, nullptr, 56, outside, transformed); });
    // The same file in block-shift mode: the handler's own reading, parsing and writing
    // without the grid interpolation.
    CTrans_NULL none;
    CTrans_BlockShift shift(0.5);
    const double noGrid =
        Seconds([&] { handler.Process(file("in.xyz"), &grid, &none, &shift, nullptr, 56, outside, transformed); });
    std::printf("xyz text %lld lines, %s: block shift without the grid %.3f s, ratio %.2f\n", xyzLines, order, noGrid,
                base / noGrid);
    baselineLinesPerSecond = std::max(baselineLinesPerSecond, xyzLines / base);
    std::printf(
        "xyz text %lld lines, %s: baseline %.3f s, CFileText %.3f s (result %d, %llu transformed), "
        "ratio %.2f (>= 1.0)\n",
        xyzLines, order, base, ours, result, static_cast<unsigned long long>(transformed), base / ours);
  }
  fs::remove(file("in.xyz"));
  fs::remove(file("base.xyz"));
  fs::remove(file("in_LAT.xyz"));
  fs::remove(file("in_Block Shift_0.50m.xyz"));

  const int esriSide = static_cast<int>(3000 * std::sqrt(scale));
  if (wanted("esri")) {
    WriteEsri(file("dem.asc"), esriSide);
    CFileESRIGrid handler;
    FileResult result = kFileDone;
    const double ours =
        Seconds([&] { result = handler.Process(file("dem.asc"), &grid, msl, lat, nullptr, 56, outside, transformed); });
    const double cellsPerSecond = static_cast<double>(esriSide) * esriSide / ours;
    std::printf(
        "ESRI grid %d x %d: CFileESRIGrid %.3f s (result %d, %llu transformed), %.2f M cells/s vs baseline "
        "%.2f M lines/s, ratio %.2f (>= 1.0)\n",
        esriSide, esriSide, ours, result, static_cast<unsigned long long>(transformed), cellsPerSecond / 1e6,
        baselineLinesPerSecond / 1e6, cellsPerSecond / baselineLinesPerSecond);
  }
  fs::remove(file("dem.asc"));
  fs::remove(file("dem_LAT.asc"));
  fs::remove(file("dem_MSL.asc"));

  const auto lasPoints = static_cast<long long>(20'000'000 * scale);
  for (const bool track : {false, true}) {
    if (!wanted("las")) break;
    const char* order = track ? "track order" : "random order";
    WriteLas(file("cloud.las"), lasPoints, track);
    const std::string cp = "cp '" + file("cloud.las") + "' '" + file("copy.las") + "'";
    CFileLAS handler;
    FileResult result = kFileDone;
    CTrans_NULL none;
    CTrans_BlockShift shift(0.5);
    // cp, the handler and the handler without the grid take turns, so that all three
    // meet the machine in the same states, and each writes new files: replacing an
    // existing file first frees its pages and then, on ext4, starts writing the new one
    // out at close, which would weigh more than the copying.
    const auto removeOutputs = [&] {
      for (const char* name : {"copy.las", "cloud_LAT.las", "cloud_MSL.las", "cloud_Block Shift_0.50m.las"})
        fs::remove(file(name));
    };
    double copy = 1e30, ours = 1e30, noGrid = 1e30;
    for (int i = 0; i < kLasRepeats; ++i) {
      removeOutputs();
      copy = std::min(copy, Seconds([&] { (void)!std::system(cp.c_str()); }));
      removeOutputs();
      ours = std::min(ours, Seconds([&] {
                        result = handler.Process(file("cloud.las"), &grid, msl, lat, nullptr, 56, outside, transformed);
                      }));
      removeOutputs();
      noGrid = std::min(noGrid, Seconds([&] {
                          handler.Process(file("cloud.las"), &grid, &none, &shift, nullptr, 56, outside, transformed);
                        }));
    }
    std::printf(
        "LAS 1.2 %lld points, %s: cp %.3f s, CFileLAS %.3f s (result %d, %llu transformed), "
        "ratio %.2f (<= 3.0)\n",
        lasPoints, order, copy, ours, result, static_cast<unsigned long long>(transformed), ours / copy);
    std::printf("LAS 1.2 %lld points, %s: block shift without the grid %.3f s, ratio %.2f to cp\n", lasPoints, order,
                noGrid, noGrid / copy);
    removeOutputs();
  }
  fs::remove(file("cloud.las"));

  if (wanted("threads")) {
    WriteXyz(file("in.xyz"), xyzLines, false);
    CFileText text;
    CompareThreads(("xyz text " + std::to_string(xyzLines) + " lines, random order").c_str(), text, file("in.xyz"),
                   {file("in_LAT.xyz"), file("in_MSL.xyz")}, grid, 1.6);
    fs::remove(file("in.xyz"));
    WriteEsri(file("dem.asc"), esriSide);
    CFileESRIGrid esri;
    CompareThreads(("ESRI grid " + std::to_string(esriSide) + " x " + std::to_string(esriSide)).c_str(), esri,
                   file("dem.asc"), {file("dem_LAT.asc"), file("dem_MSL.asc")}, grid, 1.5);
    fs::remove(file("dem.asc"));
  }

  const auto small = static_cast<long long>(200'000 * scale), large = static_cast<long long>(2'000'000 * scale);
  if (wanted("memory")) {
    for (const bool las : {false, true}) {
      const long long peakSmall = ChildPeakKiB(dir, small, las), peakLarge = ChildPeakKiB(dir, large, las);
      std::printf("peak memory (VmHWM) of %s with grid: %lld points %lld KiB, %lld points %lld KiB\n",
                  las ? "CFileLAS" : "CFileText", small, peakSmall, large, peakLarge);
    }
  }

  fs::remove_all(dir);
  return 0;
}
