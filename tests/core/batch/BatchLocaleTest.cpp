// A batch run under a comma-decimal locale (as the desktop program runs when LANG says
// so) writes exactly the bytes that it writes under the "C" locale: the outputs of the
// four survey handlers, the batch log and the application log line.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "core/batch/FileProc.h"
#include "core/common/PathUtil.h"
#include "core/grid/GridInt.h"
#include "core/jobs/Messenger.h"
#include "core/trans/TransFactory.h"
#include "support/ClassWideValues.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

const std::string kDemoGrid = MAREVERT_SOURCE_DIR "/data/Marevert_Demo_Synthetic_NotForNavigation.MRGGrid";
const char* const kSamples[] = {"sample_grid.asc",      "sample_latlon.xyz", "sample_mga56.xyz",
                                "sample_soundings.htf", "sample_v12.las",    "sample_v14.las"};
// The same height three ways: plain, with a sign and with an exponent (both read by the
// C library's own conversion, the one that used to follow the locale).
const char* const kSignsText = "151.79 -33.26 12.00\n151.79 -33.26 +12.00\n151.79 -33.26 1.2e1\n";

struct CBatchOutcome {
  std::map<std::string, std::string> files;  // every file of the folder after the batch
  std::string applicationLogLine;
  int filesOk = -1;
};

class BatchLocaleTest : public ::testing::Test {
 protected:
  const CClassWideValues m_classWide;  // put back after the test
  BatchLocaleTest() {
    SetProgramFolderOverride(m_program.Path().string());
    m_grid.LoadFile(kDemoGrid);
  }
  ~BatchLocaleTest() override { SetProgramFolderOverride(""); }

  // LAT -> AHD, depths positive, over fresh copies of the inputs in one folder (the
  // same folder each time, so that the paths in the batch log are the same).
  CBatchOutcome Run(const char* locale) {
    const CScopedLocale scoped(locale);
    const fs::path work = m_dir.Path() / "work";
    fs::remove_all(work);
    fs::create_directory(work);
    std::vector<std::string> files;
    for (const char* sample : kSamples) {
      files.push_back((work / sample).string());
      fs::copy_file(MAREVERT_SOURCE_DIR "/data/samples/" + std::string(sample), files.back());
    }
    files.push_back((work / "signs.xyz").string());
    WriteFileBytes(files.back(), kSignsText);
    fs::remove(m_program.File("Application Log.txt"));

    const CTransFactory& factory = CTransFactory::Instance();
    CFileProc job(&m_grid, &files, factory.Find("LAT"), factory.Find("AHD"), 56);
    const double sign = CTransBase::s_sign;
    CTransBase::s_sign = -1.0;
    job.Run();
    CTransBase::s_sign = sign;

    CBatchOutcome outcome;
    outcome.filesOk = job.GetFilesOk();
    for (const auto& entry : fs::directory_iterator(work))
      outcome.files[entry.path().filename().string()] = ReadFileBytes(entry.path().string());
    outcome.applicationLogLine = ReadFileBytes(m_program.File("Application Log.txt"));
    return outcome;
  }

  CScratchDir m_dir, m_program;
  CGridInt m_grid;
  CRecordingMessenger m_messenger;
  CScopedMessenger m_scoped{&m_messenger};
};

// The batch log's "Generated:" line, which holds the time of the run.
const std::regex kGeneratedLine("Generated: [^\n]*\n");
// Its "C" locale form: "Mon Mar 24 09:05:00 2014".
const std::regex kClassicGenerated(
    "Generated: (Mon|Tue|Wed|Thu|Fri|Sat|Sun) (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) [ 123][0-9] "
    "[0-2][0-9]:[0-5][0-9]:[0-6][0-9] [0-9]{4}\n");
// The application log line's leading "%d/%m/%Y %H:%M", the minute of the run.
const std::regex kLogTime("^[0-3][0-9]/[01][0-9]/[0-9]{4} [0-2][0-9]:[0-5][0-9]\t");
// The rest of that line, the sign factor -1 last.
const std::regex kLogRest("LAT\tAHD\t[A-Za-z ,]+\t[1-9][0-9]*\tMarevert_Demo_Synthetic_NotForNavigation.MRGGrid\t-1\n");

}  // namespace

TEST_F(BatchLocaleTest, CommaLocaleWritesTheBytesOfTheCLocale) {
  ASSERT_TRUE(m_grid.IsLoaded());
  CBatchOutcome classic = Run("C");
  CBatchOutcome comma = Run(kCommaLocale);
  ASSERT_EQ(classic.filesOk, static_cast<int>(std::size(kSamples)) + 1);
  EXPECT_EQ(comma.filesOk, classic.filesOk);

  // Every line of signs.xyz gets the same new height; the "+" in front stays.
  const std::string signs = comma.files["signs_AHD.xyz"];
  const std::string first = signs.substr(0, signs.find('\n') + 1);
  ASSERT_EQ(first.rfind("151.79 -33.26 ", 0), 0u) << signs;
  EXPECT_EQ(signs, first + "151.79 -33.26 +" + first.substr(14) + first);

  for (CBatchOutcome* outcome : {&classic, &comma}) {
    std::string& log = outcome->files["Log.txt"];
    EXPECT_TRUE(std::regex_search(log, kClassicGenerated)) << log;
    log = std::regex_replace(log, kGeneratedLine, "");
    std::string& line = outcome->applicationLogLine;
    EXPECT_TRUE(std::regex_search(line, kLogTime)) << line;
    line = std::regex_replace(line, kLogTime, "");
  }
  EXPECT_EQ(classic.applicationLogLine, comma.applicationLogLine);
  EXPECT_TRUE(std::regex_match(comma.applicationLogLine, kLogRest)) << comma.applicationLogLine;
  ASSERT_EQ(comma.files.size(), classic.files.size());
  for (const auto& [name, bytes] : classic.files) EXPECT_TRUE(comma.files[name] == bytes) << name;
}
