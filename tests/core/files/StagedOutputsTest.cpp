// Every handler writes its outputs under temporary names beside the final ones, and the
// frame moves them into place once the handler is done: the names of the temporaries,
// what a folder holds while a file is under way and after it, what an earlier run left,
// and a final name that cannot be replaced.

#include <gtest/gtest.h>

#include <filesystem>

#include "HandlerTest.h"
#include "core/common/StagedFile.h"
#include "core/files/FileText.h"
#include "support/TestSupport.h"

namespace {

namespace fs = std::filesystem;

TEST(StagedFileTest, TemporaryKeepsTheExtensionAndItsSideFilesFindTheirPlace) {
  EXPECT_EQ(CStagedFile::PartialPath("/d/run1_AHD.xyz"), "/d/run1_AHD.marevert-partial.xyz");
  EXPECT_EQ(CStagedFile::PartialPath("/d.v1/run1_AHD"), "/d.v1/run1_AHD.marevert-partial");
  EXPECT_EQ(CStagedFile::SiblingFinalPath("/d/x_AHD.tif", "/d/x_AHD.marevert-partial.tif.aux.xml"),
            "/d/x_AHD.tif.aux.xml");
  EXPECT_EQ(CStagedFile::SiblingFinalPath("/d/x_AHD.asc", "/d/x_AHD.marevert-partial.prj"), "/d/x_AHD.prj");
  EXPECT_EQ(CStagedFile::SiblingFinalPath("/d/x_AHD.asc", "/d/x_LAT.marevert-partial.prj"), "");
}

// Looks at the folder when the handler first reports progress, part way through.
class CFolderWatchJob : public CTestJob {
 public:
  explicit CFolderWatchJob(const CScratchDir& dir) : m_dir(dir) {}
  void OnProcessProgress(unsigned percent) override {
    if (m_progress.empty()) m_underWay = m_dir.Names();
    CTestJob::OnProcessProgress(percent);
  }
  std::vector<std::string> m_underWay;

 private:
  const CScratchDir& m_dir;
};

class StagedOutputsTest : public CHandlerTest<CFileText> {
 protected:
  StagedOutputsTest() : CHandlerTest("run", ".xyz") {}
};

TEST_F(StagedOutputsTest, OutputsAppearUnderTheirNamesOnlyWhenTheHandlerIsDone) {
  // An earlier run's outputs, and what a killed run left.
  WriteFileBytes(m_dir.File("run_LAT.xyz"), "old\n");
  WriteFileBytes(m_dir.File("run_MSL.xyz"), "old\n");
  WriteFileBytes(m_dir.File("run_MSL.marevert-partial.xyz"), "left by a killed run\n");
  std::string input;
  for (int i = 0; i < 250; ++i) input += "153.0 -27.0 1.0\n";
  CFolderWatchJob job(m_dir);
  const CRunResult run = Run(input, &job);
  EXPECT_EQ(run.result, kFileDone);
  // The old outputs went when their temporaries were made, as creating them would have
  // emptied them.
  EXPECT_EQ(job.m_underWay,
            (std::vector<std::string>{"run.xyz", "run_LAT.marevert-partial.xyz", "run_MSL.marevert-partial.xyz"}));
  EXPECT_EQ(m_dir.Names(), (std::vector<std::string>{"run.xyz", "run_LAT.xyz"}));  // nothing excluded
  EXPECT_EQ(Transformed().size(), 250 * std::string("153.0 -27.0 2.50\n").size());
  EXPECT_TRUE(m_handler.GetNotes().empty());

  // A cancelled file's outputs are moved into place too, and said to be partial.
  CCancelAtJob cancel(0);
  const CRunResult cancelled = Run(input, &cancel);
  EXPECT_EQ(cancelled.result, kFileCancelled);
  EXPECT_EQ(m_dir.Names(), (std::vector<std::string>{"run.xyz", "run_LAT.xyz"}));
  EXPECT_EQ(m_handler.GetNotes(),
            std::vector<std::string>{"The outputs left are partial: they hold what was written before the cancel"});
}

TEST_F(StagedOutputsTest, FinalNameThatCannotBeReplacedFailsBeforeAnythingIsWritten) {
  fs::create_directory(m_dir.File("run_MSL.xyz"));  // a folder where the excluded file should go
  const CRunResult run = Run("153.0 -27.0 1.0\n140.0 -27.0 1.0\n");
  EXPECT_EQ(run.result, kFileOutputError);
  // The transformed file, already made, is left empty as it always was.
  EXPECT_EQ(m_dir.Names(), (std::vector<std::string>{"run.xyz", "run_LAT.xyz", "run_MSL.xyz"}));
  EXPECT_EQ(Transformed(), "");
}

}  // namespace
