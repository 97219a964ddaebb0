// Grid engine benchmark: loading a large sparse grid file and interpolating in it,
// each beside a plain baseline in the same run.
//   load     CGridInt::LoadFile (thread runner, no console progress) vs a plain fread
//            loop reading the whole file into memory; target ratio <= 2
//   memory   resident memory of the loaded grid vs the file size; target <= 1.5
//   interp   CGridInt::Interpolate at random positions inside complete cells vs a
//            dense float array (14 floats per node) with plain bilinear weights;
//            target: our speed >= 1/3 of the baseline's
// The synthetic lattice is 1800 x 1800 nodes at 1 minute, with round "islands" and a
// diagonal coast without nodes, about 2.1 million nodes (68 MB).

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/grid/GridInt.h"
#include "core/jobs/JobRunner.h"
#include "core/jobs/Messenger.h"

namespace {

constexpr int kRows = 1800, kColumns = 1800;
constexpr double kGridSize = 1.0 / 60;
constexpr double kMinLat = -44.0, kMinLon = 112.0;
constexpr int kRepeats = 5;
constexpr std::size_t kDefaultPositions = 2'000'000;
constexpr std::size_t kBlock = 20'000;

bool Present(int r, int c) {
  const auto inDisc = [&](int r0, int c0, int radius) {
    return (r - r0) * (r - r0) + (c - c0) * (c - c0) < radius * radius;
  };
  if (c < r / 6 + 150) return false;  // land to the west of a diagonal coast
  return !inDisc(600, 700, 330) && !inDisc(1300, 1300, 280) && !inDisc(1500, 500, 120);
}

std::uint16_t Code(int r, int c, int k) {
  return static_cast<std::uint16_t>(20000 + 7 * r + 3 * c + 400 * k + (r * 31 + c * 17 + k) % 11);
}

template <typename T>
void Put(std::FILE* f, T value) {
  std::fwrite(&value, sizeof value, 1, f);  // little-endian hosts only
}

// Writes the grid row by row and returns its node count.
std::size_t WriteGrid(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    std::perror(path.c_str());
    std::exit(1);
  }
  std::fwrite("MRG", 1, 3, f);
  for (std::int32_t v : {1, 0, 1, 0, 2090, 1, 1}) Put(f, v);
  for (double v :
       {kGridSize, kMinLat, kMinLat + (kRows - 1) * kGridSize, kMinLon, kMinLon + (kColumns - 1) * kGridSize})
    Put(f, v);
  Put(f, -100.0f);
  Put(f, 100.0f);
  Put(f, static_cast<std::int32_t>(kRows));
  std::size_t nodes = 0;
  for (int r = 0; r < kRows; ++r) {
    std::int32_t count = 0;
    for (int c = 0; c < kColumns; ++c) count += Present(r, c);
    Put(f, count);
    for (int c = 0; c < kColumns; ++c) {
      if (!Present(r, c)) continue;
      Put(f, static_cast<std::int32_t>(c));
      for (int k = 0; k < 14; ++k) Put(f, Code(r, c, k));
    }
    nodes += static_cast<std::size_t>(count);
  }
  std::fclose(f);
  return nodes;
}

double Seconds(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

long ResidentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  return -1;
}

class CSilentMessenger : public CMessenger {
 public:
  void ShowMessage(const std::string& text) override { std::fprintf(stderr, "unexpected message: %s\n", text.c_str()); }
  void ShowMessageList(const std::string&, const std::vector<std::string>&) override {}
  bool ShowDocument(const std::string&, const std::string&, bool) override { return false; }
};

}  // namespace

// An optional argument sets the number of interpolated positions (fewer for runs under
// a cache simulator).
int main(int argc, char** argv) {
  const std::size_t positionCount = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : kDefaultPositions;
  const std::string path =
      (std::filesystem::temp_directory_path() / ("marevert-bench-" + std::to_string(getpid()) + ".MRGGrid")).string();
  const std::size_t nodes = WriteGrid(path);
  const double fileBytes = static_cast<double>(std::filesystem::file_size(path));
  std::printf("grid: %d x %d lattice, %zu nodes, %.1f MB file\n", kRows, kColumns, nodes, fileBytes / 1e6);

  CSilentMessenger silent;
  CScopedMessenger messengerScope(&silent);
  CThreadJobRunner runner(false);
  CScopedJobRunner runnerScope(&runner);

  // Memory first, while nothing else is held.
  const long before = ResidentKiB();
  auto grid = std::make_unique<CGridInt>();
  grid->LoadFile(path);
  const long after = ResidentKiB();
  if (!grid->IsLoaded()) {
    std::fprintf(stderr, "the grid did not load\n");
    return 1;
  }
  const double memoryRatio = (after - before) * 1024.0 / fileBytes;
  const double totalRatio = after * 1024.0 / fileBytes;

  // Loading, alternating our loader and the plain read.
  double ours = 1e300, plain = 1e300;
  for (int i = 0; i < kRepeats; ++i) {
    plain = std::min(
        plain, Seconds([&] {
          std::FILE* f = std::fopen(path.c_str(), "rb");
          std::vector<char> data(static_cast<std::size_t>(fileBytes));
          std::size_t at = 0, got;
          while ((got = std::fread(data.data() + at, 1, std::min<std::size_t>(1 << 20, data.size() - at), f)) > 0)
            at += got;
          std::fclose(f);
          if (at != data.size()) std::fprintf(stderr, "short read\n");
        }));
    ours = std::min(ours, Seconds([&] {
                      CGridInt other;
                      other.LoadFile(path);
                    }));
  }
  std::filesystem::remove(path);

  // Interpolation positions inside complete cells, and the dense baseline lattice.
  std::mt19937_64 random(42);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::vector<std::pair<double, double>> positions;
  positions.reserve(positionCount);
  while (positions.size() < positionCount) {
    const double rho = unit(random) * (kRows - 1), gamma = unit(random) * (kColumns - 1);
    const int r = static_cast<int>(rho), c = static_cast<int>(gamma);
    if (Present(r, c) && Present(r, c + 1) && Present(r + 1, c) && Present(r + 1, c + 1))
      positions.emplace_back(kMinLat + rho * kGridSize, kMinLon + gamma * kGridSize);
  }
  std::vector<float> dense(static_cast<std::size_t>(kRows) * kColumns * 14, 0.0f);
  for (int r = 0; r < kRows; ++r)
    for (const CGridInt::Node& node : grid->GetRow(r))
      for (int k = 0; k < 14; ++k)
        dense[(static_cast<std::size_t>(r) * kColumns + node.column) * 14 + k] = node.point.GetValue(k);

  // The machine may be shared: both sides run block by block, alternately, so that both
  // meet the same conditions. Each position is used once per side, as in a batch.
  double checkOurs = 0, checkPlain = 0, worst = 0;
  std::size_t outside = 0;
  double interpOurs = 0, interpPlain = 0;
  for (std::size_t begin = 0; begin < positions.size(); begin += kBlock) {
    const std::size_t end = std::min(positions.size(), begin + kBlock);
    interpOurs += Seconds([&] {
      CDataPt result;
      std::uint32_t sums[14] = {};
      for (std::size_t p = begin; p < end; ++p) {
        grid->Interpolate(positions[p].first, positions[p].second, result);
        for (int k = 0; k < 14; ++k) sums[k] += result.m_codes[k];
      }
      for (int k = 0; k < 14; ++k) checkOurs += sums[k];
    });
    interpPlain += Seconds([&] {
      // Every surface's result is used: with only one kept, the compiler would drop
      // the other thirteen and the baseline would interpolate a single surface.
      float values[14], sums[14] = {};
      for (std::size_t p = begin; p < end; ++p) {
        const double rho = (positions[p].first - kMinLat) / kGridSize,
                     gamma = (positions[p].second - kMinLon) / kGridSize;
        const std::size_t r = static_cast<std::size_t>(rho), c = static_cast<std::size_t>(gamma);
        const double fy = rho - r, fx = gamma - c;
        const float* sw = &dense[(r * kColumns + c) * 14];
        const float* nw = sw + kColumns * 14;
        for (int k = 0; k < 14; ++k)
          values[k] = static_cast<float>((1 - fy) * ((1 - fx) * sw[k] + fx * sw[k + 14]) +
                                         fy * ((1 - fx) * nw[k] + fx * nw[k + 14]));
        for (int k = 0; k < 14; ++k) sums[k] += values[k];
      }
      for (int k = 0; k < 14; ++k) checkPlain += sums[k];
    });
  }
  // Both sides must agree within the code step (1 cm).
  for (std::size_t i = 0; i < positions.size(); ++i) {
    CDataPt result;
    if (!grid->Interpolate(positions[i].first, positions[i].second, result)) ++outside;
    if (i % 997 != 0) continue;
    const double rho = (positions[i].first - kMinLat) / kGridSize, gamma = (positions[i].second - kMinLon) / kGridSize;
    const std::size_t r = static_cast<std::size_t>(rho), c = static_cast<std::size_t>(gamma);
    const double fy = rho - r, fx = gamma - c;
    const float* sw = &dense[(r * kColumns + c) * 14];
    const float* nw = sw + kColumns * 14;
    const double v = (1 - fy) * ((1 - fx) * sw[0] + fx * sw[14]) + fy * ((1 - fx) * nw[0] + fx * nw[14]);
    worst = std::max(worst, std::fabs(v - result.GetValue(0)));
  }

  std::printf("load:   LoadFile %.1f ms, plain fread %.1f ms, ratio %.2f (target <= 2)\n", ours * 1e3, plain * 1e3,
              ours / plain);
  std::printf(
      "memory: resident growth %.1f MB, total resident %.1f MB, file %.1f MB, ratio %.2f (total %.2f; target <= 1.5)\n",
      (after - before) / 1024.0, after / 1024.0, fileBytes / 1e6, memoryRatio, totalRatio);
  std::printf("interp: Interpolate %.1f ns/call, dense bilinear %.1f ns/call, speed ratio %.2f (target >= 0.33)\n",
              interpOurs / positionCount * 1e9, interpPlain / positionCount * 1e9, interpPlain / interpOurs);
  std::printf("        %zu positions, outside %zu (expected 0), largest difference %.4f m (code step 0.01)\n",
              positionCount, outside, worst);
  return checkOurs < 0 || checkPlain < 0;  // keeps both loops from being optimised away
}
