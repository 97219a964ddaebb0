// Grid generation speed: CGridProc on a text grid of 2,000,000 lines (it reads the file
// twice, places every point and writes the binary grid) against one plain fgets +
// strtod pass over the same file, measured side by side in one run. Target: at most 3x.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/grid/GridProc.h"
#include "core/jobs/Messenger.h"

namespace {

constexpr int kRows = 1000;
constexpr int kColumns = 2000;  // 2,000,000 lines
constexpr double kGridSeconds = 60.0;

// A text grid with plausible surfaces, one line per node, rows south to north.
void WriteTextGrid(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    std::perror(path.c_str());
    std::exit(1);
  }
  const double g = kGridSeconds / 3600.0;
  for (int r = 0; r < kRows; ++r) {
    for (int c = 0; c < kColumns; ++c) {
      const double lat = -40.0 + r * g, lon = 110.0 + c * g;
      const double ahd = 20.0 + 10.0 * std::sin(lat * 0.1) * std::cos(lon * 0.07);
      const double range = 1.0 + 3.0 * ((r * 7 + c * 3) % 100) / 100.0;
      std::fprintf(f, "%.10f %.10f", lat, lon);
      for (int k = 0; k < 14; ++k) std::fprintf(f, " %.3f", ahd - range / 2 + range * k / 13.0);
      std::fputc('\n', f);
    }
  }
  std::fclose(f);
}

// The baseline: read every line with fgets and convert its sixteen numbers with strtod.
double PlainPass(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "r");
  char line[5096];
  double sum = 0;
  while (std::fgets(line, sizeof(line), f)) {
    char* p = line;
    for (int i = 0; i < 16; ++i) {
      char* end = nullptr;
      const double v = std::strtod(p, &end);
      if (end == p) break;
      sum += v;
      p = end;
    }
  }
  std::fclose(f);
  return sum;
}

class CSilentMessenger : public CMessenger {
 public:
  void ShowMessage(const std::string& text) override { std::fprintf(stderr, "message: %s\n", text.c_str()); }
  void ShowMessageList(const std::string&, const std::vector<std::string>& lines) override { m_lines = lines; }
  bool ShowDocument(const std::string&, const std::string&, bool) override { return false; }
  std::vector<std::string> m_lines;
};

double Seconds(auto&& body) {
  const auto start = std::chrono::steady_clock::now();
  body();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main() {
  const auto folder = std::filesystem::temp_directory_path() / "marevert-bench-gridgen";
  std::filesystem::create_directories(folder);
  const std::string input = (folder / "nodes.txt").string();
  const std::string output = (folder / "nodes.MRGGrid").string();
  WriteTextGrid(input);
  std::printf("text grid: %d lines, %.1f MB\n", kRows * kColumns, std::filesystem::file_size(input) / 1048576.0);

  CSilentMessenger messenger;
  CScopedMessenger scoped(&messenger);
  CGridProc::Settings settings;
  settings.inputPath = input;
  settings.outputPath = output;
  settings.day = 1;
  settings.month = 1;
  settings.year = 2026;
  settings.gridSizeSeconds = kGridSeconds;

  // Best of three, alternating, so that both see the same cache state.
  double best = 1e30, bestBaseline = 1e30, checksum = 0;
  bool written = true;
  for (int i = 0; i < 3; ++i) {
    bestBaseline = std::min(bestBaseline, Seconds([&] { checksum += PlainPass(input); }));
    best = std::min(best, Seconds([&] {
                      CGridProc job(settings);
                      job.Run();
                      written = written && job.OutputWritten();
                    }));
  }
  if (!written || messenger.m_lines.size() < 10 || messenger.m_lines[9] != "Points used: 2000000") {
    std::fprintf(stderr, "grid generation failed\n");
    return 1;
  }
  std::printf("fgets + strtod pass: %.3f s (checksum %.0f)\n", bestBaseline, checksum);
  std::printf("CGridProc (two passes + write, %.1f MB grid): %.3f s\n", std::filesystem::file_size(output) / 1048576.0,
              best);
  std::printf("ratio: %.2f (target <= 3)\n", best / bestBaseline);
  std::filesystem::remove_all(folder);
  return 0;
}
