// Damaged binary grid files and damaged text grids for grid generation.
#include <limits>

#include "BadInput.h"
#include "core/grid/GridInt.h"
#include "core/grid/GridProc.h"
#include "core/jobs/JobRunner.h"
#include "core/jobs/Messenger.h"
#include "support/ClassWideValues.h"
#include "support/GridFileWriter.h"

namespace {

using bad_input::RunCase;

class BadGridFileTest : public ::testing::Test {
 protected:
  // Loads the bytes as a grid file; answers whether a grid was loaded. The messages
  // shown are left in m_messenger.
  bool Load(const std::string& bytes, const std::string& label) {
    m_messenger.Clear();
    const std::string path = m_dir.File("damaged.MRGGrid");
    return RunCase(
        path, bytes,
        [&] {
          CScopedMessenger scoped(&m_messenger);
          CGridInt grid;
          grid.LoadFile(path);
          return grid.IsLoaded();
        },
        label);
  }
  // The refusal ends with the failure message naming the file.
  void ExpectRefused(const std::string& bytes, const std::string& label) {
    EXPECT_FALSE(Load(bytes, label)) << label;
    const auto messages = m_messenger.Messages();
    ASSERT_FALSE(messages.empty()) << label;
    EXPECT_EQ(messages.back(), "Failed to load grid file:\n" + m_dir.File("damaged.MRGGrid")) << label;
  }
  static CTestGridFile SmallGrid() { return CTestGridFile::OneCell(); }

  CScratchDir m_dir;
  CRecordingMessenger m_messenger;
  CScopedJobRunner m_runner{nullptr};
  const CClassWideValues m_classWide;
};

TEST_F(BadGridFileTest, EveryCutOfAGridFileIsRefused) {
  const std::string whole = SmallGrid().Bytes();
  ASSERT_TRUE(Load(whole, "whole"));
  for (std::size_t cut : bad_input::CutOffsets(whole.size()))
    ExpectRefused(whole.substr(0, cut), "cut at " + std::to_string(cut));

  const std::string demo = bad_input::SourceFile("data/Marevert_Demo_Synthetic_NotForNavigation.MRGGrid");
  if (!demo.empty()) {
    for (std::size_t cut : {std::size_t{83}, std::size_t{87}, demo.size() / 3, demo.size() / 2, demo.size() - 1})
      ExpectRefused(demo.substr(0, cut), "demo grid cut at " + std::to_string(cut));
  }
}

TEST_F(BadGridFileTest, DamagedCountsEmptyAndRandomFilesAreRefused) {
  const std::string whole = SmallGrid().Bytes();
  constexpr std::size_t kRowCountAt = 79, kFirstPointCountAt = 83;
  for (std::int32_t rows :
       {3, 1000, 1 << 26, std::numeric_limits<std::int32_t>::max(), -1, std::numeric_limits<std::int32_t>::min()}) {
    std::string bytes = whole;
    CTestGridFile::PatchInt(bytes, kRowCountAt, rows);
    ExpectRefused(bytes, "row count " + std::to_string(rows));
  }
  for (std::int32_t points : {3, 1 << 20, std::numeric_limits<std::int32_t>::max(), -1}) {
    std::string bytes = whole;
    CTestGridFile::PatchInt(bytes, kFirstPointCountAt, points);
    ExpectRefused(bytes, "point count " + std::to_string(points));
  }
  ExpectRefused("", "empty");
  for (unsigned seed = 1; seed <= 8; ++seed)
    ExpectRefused(bad_input::RandomBytes(64 * seed, seed), "random " + std::to_string(seed));
  // Random bytes behind a valid header prefix: counts and records are noise.
  for (unsigned seed = 1; seed <= 8; ++seed)
    ExpectRefused(whole.substr(0, 79) + bad_input::RandomBytes(4096, seed), "random rows " + std::to_string(seed));
}

// Grid generation on damaged text grids: either a summary with a whole output file or
// a message and no output; never a changed input.
class BadTextGridTest : public ::testing::Test {
 protected:
  struct Outcome {
    bool written = false;
    std::vector<std::string> messages;
  };
  Outcome Build(const std::string& text, const std::string& label) {
    const std::string input = m_dir.File("grid.txt"), output = m_dir.File("grid.MRGGrid");
    std::remove(output.c_str());
    return RunCase(
        input, text,
        [&] {
          CRecordingMessenger messenger;
          CScopedMessenger scoped(&messenger);
          CGridProc::Settings settings;
          settings.inputPath = input;
          settings.outputPath = output;
          settings.day = 1, settings.month = 1, settings.year = 2030, settings.majorVersion = 1;
          CGridProc job(settings);
          job.SetCancel(false);
          CThreadJobRunner(false).RunModal(job, "Building grid file", true);
          Outcome outcome{job.OutputWritten(), messenger.Messages()};
          EXPECT_EQ(outcome.written, std::filesystem::exists(output)) << label;
          return outcome;
        },
        label);
  }
  static std::string Lattice() {
    const CClassicThreadLocale classic;  // text grids have a decimal point
    std::string text;
    char line[512];
    for (int r = 0; r < 3; ++r) {
      for (int c = 0; c < 3; ++c) {
        int n = std::snprintf(line, sizeof line, "%.9f %.9f", -27.0 + r / 60.0, 153.0 + c / 60.0);
        for (int k = 0; k < 14; ++k) n += std::snprintf(line + n, sizeof line - n, " %.2f", 0.25 * k + r);
        text += std::string(line) + "\n";
      }
    }
    return text;
  }

  CScratchDir m_dir;
  const CClassWideValues m_classWide;
};

TEST_F(BadTextGridTest, CutsBuildFromWhatIsLeftOrStopWithAMessage) {
  const std::string whole = Lattice();
  ASSERT_TRUE(Build(whole, "whole").written);
  const std::string tooFew = "There are < 4 valid data points, cannot create grid";
  for (std::size_t cut : bad_input::CutOffsets(whole.size())) {
    const std::string text = whole.substr(0, cut);
    const Outcome outcome = Build(text, "cut at " + std::to_string(cut));
    // Fewer than four complete lines can never make a grid.
    const auto lines = std::count(text.begin(), text.end(), '\n');
    if (lines < 3) {
      EXPECT_FALSE(outcome.written) << cut;
      ASSERT_FALSE(outcome.messages.empty()) << cut;
      EXPECT_EQ(outcome.messages.back(), tooFew) << cut;
    }
    if (!outcome.written) {
      EXPECT_FALSE(outcome.messages.empty()) << cut;
    }
  }
  for (const std::string& text : {std::string(), bad_input::RandomBytes(5000, 3), std::string(20000, '\n'),
                                  std::string(CGridProc::kLineBuffer * 3, '7')}) {
    const Outcome outcome = Build(text, "empty or noise");
    EXPECT_FALSE(outcome.written);
    ASSERT_FALSE(outcome.messages.empty());
    EXPECT_EQ(outcome.messages.back(), tooFew);
  }
}

TEST_F(BadTextGridTest, AbsurdPositionsAndValuesStopWithAMessage) {
  const std::string whole = Lattice();
  const std::string tail = " 0 0 0 0 0 0 0 0 0 0 0 0 0 0\n";
  const std::vector<std::string> extras = {
      "1e300 153 " + tail, "-27 1e300" + tail, "-27.0 153.0 1e30 0 0 0 0 0 0 0 0 0 0 0 0 0\n", "-27.0000001 153" + tail,
      "nan 153" + tail,    "-27 inf" + tail,   "-27 153 nan 0 0 0 0 0 0 0 0 0 0 0 0 0\n"};
  for (const std::string& extra : extras) {
    const Outcome outcome = Build(whole + extra, "extra line " + extra);
    if (!outcome.written) {
      EXPECT_FALSE(outcome.messages.empty()) << extra;
    }
  }
}

}  // namespace
