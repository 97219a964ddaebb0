// Faults found by fuzzing the readers, each kept with its reproducer.
#include <filesystem>

#include "BadInput.h"
#include "core/grid/GridProc.h"
#include "core/jobs/JobRunner.h"
#include "core/jobs/Messenger.h"
#include "support/ClassWideValues.h"

namespace {

// Runs grid generation on `text`; answers the messages shown.
std::vector<std::string> BuildGrid(const CScratchDir& dir, const std::string& text, bool& written) {
  const std::string input = dir.File("grid.txt"), output = dir.File("grid.MRGGrid");
  return bad_input::RunCase(
      input, text,
      [&] {
        const CClassWideValues restore;
        CRecordingMessenger messenger;
        CScopedMessenger scoped(&messenger);
        CGridProc::Settings settings;
        settings.inputPath = input;
        settings.outputPath = output;
        CGridProc job(settings);
        job.SetCancel(false);
        CThreadJobRunner(false).RunModal(job, "Building grid file", true);
        written = job.OutputWritten() || std::filesystem::exists(output);
        return messenger.Messages();
      },
      "grid text");
}

// A damaged line whose latitude was millions of degrees made the lattice millions of
// rows tall: gigabytes of empty rows from a file of eight lines (the fuzzer's input
// timed out while the row table was being cleared).
TEST(FuzzRegressionTest, GridGenerationRefusesALatitudeExtentOfMillionsOfDegrees) {
  CScratchDir dir;
  const std::string reproducer =
      "-27.000000000 076.000000000 0.00 0.25 0.50 0.75 1.00 1.25 1.50 1.75 2.00 2.25 2.50 2.75 3.00 3.25\n"
      "-27.000000333 0.00 0.25 0.50 0.75 1.00 1.25 1.50 1.75 2.00 2.25 2.50 2.75 3.00 3.25\n"
      "-26.983333133 153.000000000 1.010 2.75 3.00 3.25\n"
      "-26.983333133 153.000000000 1.01 1.25 1.50 1.75 2.00 2.3333 153.033333333 1.00 1.25 1.50 1.75 2.00 2.25.25\n"
      "-26.966666667 153.016666667 2.00\x17"
      "2.25 2.50 2.75  2.25 2.50 2.75 3.00 3.25\n"
      "-27.000000333 0.00 0.25 0.50  2.25 2.50 2.75 3.00 3.25 3.50 3.75 4.00 4.25 4.50 4.75 5.00 5.25\n"
      "-26.966666667 153.016666667 2.00\x17"
      "2.25 2.50 2.75 3.00 3.25 3.50 3.75 4.00 4.25 4.50 4.75 5.00 5.25\n"
      "-6666667 153.033333333 2.00 2.25 2.50 2.75 3.00 3.25 3.50 3.75 4.00 4.25 4.50 4.75 5.00 5.25\n";
  std::string values;
  for (int k = 0; k < 14; ++k) values += " 1.0";
  const std::string minimal = "-27 153" + values + "\n-27 153.0166666667" + values + "\n-26.9833333333 153" + values +
                              "\n-6666667 153.0166666667" + values + "\n";
  for (const std::string& text : {reproducer, minimal}) {
    bool written = true;
    const auto messages = BuildGrid(dir, text, written);
    EXPECT_FALSE(written);
    EXPECT_EQ(messages, std::vector<std::string>{"The latitude extent is more than 180 degrees"});
  }
  // 180 degrees itself is the whole globe and still builds.
  bool written = false;
  const std::string globe = "-90 0" + values + "\n-90 1" + values + "\n90 0" + values + "\n90 1" + values + "\n";
  BuildGrid(dir, globe, written);
  EXPECT_TRUE(written);
}

}  // namespace
