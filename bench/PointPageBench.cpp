// One keystroke in the point transformation page: the edit's text changes and the page
// checks the inputs, interpolates, lists fifteen rows and moves the map's dot. The
// baseline is the bare point computation on the same texts, without any widget.
// The map's repaint that follows on the next event loop turn is the map's own cost
// (bench_map) and is not counted here.
//
// Usage: bench_point_page (runs on the offscreen platform by default)

#include <QApplication>
#include <QLineEdit>
#include <array>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "PointBenchGrid.h"
#include "core/common/PathUtil.h"
#include "core/grid/GridInt.h"
#include "core/trans/PointTransform.h"
#include "core/trans/TransFactory.h"
#include "gui/pages/DlgPtTransform.h"

namespace {

constexpr int kKeystrokes = 20000;

// Longitude texts as typed one character at a time and then erased again: every text
// differs from the one before, so each one is a real edit change.
std::vector<QString> TypingSequence() {
  const QString full = QStringLiteral("145.123456");
  std::vector<QString> texts;
  for (int n = 4; n <= full.size(); ++n) texts.push_back(full.left(n));
  for (int n = full.size() - 1; n > 4; --n) texts.push_back(full.left(n));
  return texts;
}

template <typename F>
double MicrosecondsPerCall(int calls, F&& call) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < calls; ++i) call(i);
  const auto end = std::chrono::steady_clock::now();
  return std::chrono::duration<double, std::micro>(end - start).count() / calls;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  SetProgramFolderOverride(MAREVERT_SOURCE_DIR "/data");  // the bundled coast data

  CGridInt grid;
  BuildPointBenchGrid(grid);
  const std::vector<QString> texts = TypingSequence();
  const std::string latitude = "-37.25", height = "12.34";

  CDlgPtTransform page(&grid, nullptr,
                       [](const QString& text) { std::fprintf(stderr, "map message: %s\n", qPrintable(text)); });
  page.LatitudeEdit()->setText(QString::fromStdString(latitude));
  page.HeightEdit()->setText(QString::fromStdString(height));
  const int last = static_cast<int>(texts.size());
  for (int i = 0; i < 200; ++i) page.LongitudeEdit()->setText(texts[i % last]);  // warm-up
  int recomputed = 0;
  QObject::connect(&page, &CDlgPtTransform::ResultsUpdated, [&recomputed] { ++recomputed; });
  const double ours = MicrosecondsPerCall(kKeystrokes, [&](int i) { page.LongitudeEdit()->setText(texts[i % last]); });

  std::vector<std::string> stdTexts;
  for (const QString& text : texts) stdTexts.push_back(text.toStdString());
  CPointTransform point;
  const CTransBase* from = CTransFactory::Instance().Find("HAT");
  double sink = 0;
  const double baseline = MicrosecondsPerCall(kKeystrokes, [&](int i) {
    point.Compute(latitude, stdTexts[i % last], height, from, &grid);
    sink += point.GetRows().empty() ? 0 : point.GetRows().front().m_height;
  });

  std::printf(
      "page keystroke (checks, interpolation, 15 rows, map dot; map %s): mean %.1f us = %.4f ms over %d "
      "keystrokes (%d recomputations)\n",
      page.Map() ? "shown" : "absent", ours, ours / 1000, kKeystrokes, recomputed);
  std::printf("bare point computation (baseline): mean %.1f us\n", baseline);
  std::printf("ratio page/computation: %.1f\n", ours / baseline);
  std::printf("(checksum %.3f)\n", sink);
  return 0;
}
