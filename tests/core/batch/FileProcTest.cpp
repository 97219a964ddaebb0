// The batch job: message list and counters, progress texts, cancel, the batch log, the
// application log with its size limit, and the refusal of outputs that would replace an
// input of the same batch.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "core/batch/FileProc.h"
#include "core/common/PathUtil.h"
#include "core/files/FileFactory.h"
#include "core/files/FilesTestSupport.h"
#include "core/jobs/Messenger.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

// Lines of generic text inside the test grid (lon 150..155, lat -30..-25).
std::string InsideLines(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += "151.5 -27.5 " + std::to_string(i) + ".00\n";
  return text;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(text.substr(start, end - start));
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

// Records the status text each time the job reports a percentage, and may raise the
// cancel flag when a given text is shown. (The text notification itself arrives while
// the job holds its lock, so the text is read at the next percentage; the handlers send
// one within the first 100 records.)
class CTextRecorder : public CProcessWindow {
 public:
  explicit CTextRecorder(CProcessBase& job) : m_job(job) { job.SetWindow(this); }
  void OnProcessProgress(unsigned) override {
    const std::string text = m_job.GetText();
    if (m_texts.empty() || m_texts.back() != text) m_texts.push_back(text);
    if (!m_cancelAt.empty() && text == m_cancelAt) m_job.SetCancel(true);
  }
  void OnProcessText() override {}
  void OnProcessDone() override {}
  std::vector<std::string> m_texts;
  std::string m_cancelAt;

 private:
  CProcessBase& m_job;
};

class FileProcTest : public ::testing::Test {
 protected:
  FileProcTest() {
    fs::create_directories(m_program.Path());
    SetProgramFolderOverride(m_program.Path().string());
    m_grid = *m_testGrid.Grid();
    m_grid.SetFilePath("/grids/demo.MRGGrid");
  }
  ~FileProcTest() override { SetProgramFolderOverride(""); }

  // Runs a batch LAT -> MSL (or the given references) on the test thread.
  void Run(const std::vector<std::string>& files, const CTransBase* from = CFilesTestGrid::Lat(),
           const CTransBase* to = CFilesTestGrid::Msl(), const std::string& cancelAt = "") {
    CFileProc job(&m_grid, &files, from, to, 56);
    job.SetJobs(m_jobs);
    CTextRecorder recorder(job);
    recorder.m_cancelAt = cancelAt;
    job.Run();
    job.SetWindow(nullptr);
    m_texts = recorder.m_texts;
    m_ok = job.GetFilesOk();
    m_errors = job.GetFilesWithErrors();
    m_handled = job.GetFilesHandled();
  }
  std::vector<std::string> Summary() const {
    const auto entries = m_messenger.Entries();
    EXPECT_EQ(entries.size(), 1u);
    if (entries.empty()) return {};
    EXPECT_EQ(entries[0].kind, CRecordingMessenger::Entry::MessageList);
    EXPECT_EQ(entries[0].text, "Processing summary");
    return entries[0].lines;
  }
  std::string AppLog() const { return ReadFileBytes(m_program.File("Application Log.txt")); }

  CFilesTestGrid m_testGrid;
  CGridInt m_grid;
  CScratchDir m_dir, m_program;
  CRecordingMessenger m_messenger;
  CScopedMessenger m_scoped{&m_messenger};
  std::vector<std::string> m_texts;
  int m_jobs = 1;
  int m_ok = -1, m_errors = -1, m_handled = -1;
};

TEST_F(FileProcTest, UnopenableFirstFileDoesNotAdvanceTheFileNumber) {
  const std::string missing = m_dir.File("missing.xyz"), b = m_dir.File("b.xyz"), c = m_dir.File("c.xyz");
  WriteFileBytes(b, InsideLines(120));
  WriteFileBytes(c, InsideLines(120));
  Run({missing, b, c});

  EXPECT_EQ(m_texts, (std::vector<std::string>{"Processing file 1 of 3 (Generic text format)",
                                               "Processing file 2 of 3 (Generic text format)"}));
  const std::string log = m_dir.File("Log.txt");
  EXPECT_EQ(Summary(), (std::vector<std::string>{"", "Error with file: " + missing, "Cannot open the file",
                                                 "Files OK: 2, files with errors: 1", "Processed 2 file(s) of 3", "",
                                                 "Summary log file written to:", log}));
  EXPECT_EQ(m_ok, 2);
  EXPECT_EQ(m_errors, 1);
  EXPECT_EQ(m_handled, 2);
  EXPECT_TRUE(fs::exists(m_dir.File("b_MSL.xyz")));
  EXPECT_TRUE(fs::exists(m_dir.File("c_MSL.xyz")));

  // The batch log holds the header and the list up to the summary lines, not the
  // three closing lines.
  const std::vector<std::string> lines = SplitLines(ReadFileBytes(log));
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[0], "Marevert Log File");
  EXPECT_EQ(lines[1].rfind("Generated: ", 0), 0u);
  EXPECT_GT(lines[1].size(), std::string("Generated: ").size() + 8);
  EXPECT_EQ(lines[2], "");
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 3, lines.end()),
            (std::vector<std::string>{"", "Error with file: " + missing, "Cannot open the file",
                                      "Files OK: 2, files with errors: 1", "Processed 2 file(s) of 3"}));
}

TEST_F(FileProcTest, UnrecognisedFileIsAnErrorButNotHandled) {
  const std::string header = m_dir.File("header.xyz"), b = m_dir.File("b.xyz");
  WriteFileBytes(header, "x y z\n" + InsideLines(1));
  WriteFileBytes(b, InsideLines(120));
  Run({header, b});
  EXPECT_EQ(Summary(), (std::vector<std::string>{"", "Error with file: " + header, "Cannot recognise the file format",
                                                 "Files OK: 1, files with errors: 1", "Processed 1 file(s) of 2", "",
                                                 "Summary log file written to:", m_dir.File("Log.txt")}));
  EXPECT_EQ(m_texts, std::vector<std::string>{"Processing file 1 of 2 (Generic text format)"});
}

TEST_F(FileProcTest, CancelDuringSecondFileSkipsTheRest) {
  const std::string a = m_dir.File("a.xyz"), b = m_dir.File("b.xyz"), c = m_dir.File("c.xyz");
  WriteFileBytes(a, InsideLines(2));
  WriteFileBytes(b, InsideLines(250));  // long enough for the handler to look at the flag
  WriteFileBytes(c, InsideLines(2));
  Run({a, b, c}, CFilesTestGrid::Lat(), CFilesTestGrid::Msl(), "Processing file 2 of 3 (Generic text format)");

  EXPECT_EQ(Summary(), (std::vector<std::string>{"", "Error with file: " + b, "Processing cancelled by user",
                                                 "The outputs left are partial: they hold what was written before "
                                                 "the cancel",
                                                 "", "WARNING processing interrupted, not all files processed",
                                                 "Files OK: 1, files with errors: 1", "Processed 2 file(s) of 3", "",
                                                 "Summary log file written to:", m_dir.File("Log.txt")}));
  EXPECT_FALSE(fs::exists(m_dir.File("c_MSL.xyz")));
  // The application log is written after a cancel as after a complete run.
  EXPECT_NE(AppLog().find("\tLAT\tMSL\tGeneric text\t"), std::string::npos);
}

TEST_F(FileProcTest, PointsOutsideGiveOnlyAWarningAndCountAsOk) {
  const std::string a = m_dir.File("a.xyz");
  WriteFileBytes(a, InsideLines(2) + "140.0 -27.5 1.00\n140.0 -28.5 1.00\n");
  Run({a});
  EXPECT_EQ(Summary(),
            (std::vector<std::string>{"", "Warning for file: " + a, "2 points were outside the grid/excluded",
                                      "Files OK: 1, files with errors: 0", "Processed 1 file(s) of 1", "",
                                      "Summary log file written to:", m_dir.File("Log.txt")}));
  EXPECT_EQ(ReadFileBytes(m_dir.File("a_LAT.xyz")), "140.0 -27.5 1.00\n140.0 -28.5 1.00\n");
}

TEST_F(FileProcTest, BatchLogGoesToTheFolderOfTheLastFile) {
  CScratchDir other;
  const std::string a = m_dir.File("a.xyz"), b = other.File("b.xyz");
  WriteFileBytes(a, InsideLines(1));
  WriteFileBytes(b, InsideLines(1));
  Run({a, b});
  EXPECT_EQ(Summary().back(), other.File("Log.txt"));
  EXPECT_TRUE(fs::exists(other.File("Log.txt")));
  EXPECT_FALSE(fs::exists(m_dir.File("Log.txt")));
}

TEST_F(FileProcTest, LogThatCannotBeCreatedIsReported) {
  const std::string missing = m_dir.File("no such folder/a.xyz");
  Run({missing});
  const std::vector<std::string> summary = Summary();
  ASSERT_GE(summary.size(), 2u);
  EXPECT_EQ(summary[summary.size() - 2], "Error generating log file:");
  EXPECT_EQ(summary.back(), m_dir.File("no such folder/Log.txt"));
}

TEST_F(FileProcTest, ApplicationLogLineHasTheBatchDetails) {
  const std::string grid = m_dir.File("g.asc"), text = m_dir.File("t.xyz");
  WriteFileBytes(grid, "ncols 2\nnrows 2\nxllcorner 151\nyllcorner -28\ncellsize 0.1\nNODATA_value -9999\n1 2\n3 4\n");
  WriteFileBytes(text, InsideLines(3));
  Run({grid, text});
  const std::string line = AppLog();
  const std::regex shape(
      R"(\d\d/\d\d/\d{4} \d\d:\d\d\tLAT\tMSL\tESRI ASCII Grid, Generic text\t(\d+)\tdemo\.MRGGrid\t1\n)");
  std::smatch match;
  ASSERT_TRUE(std::regex_match(line, match, shape)) << line;
  EXPECT_EQ(match[1].str(), "7");  // 4 grid cells and 3 lines
  EXPECT_EQ(m_ok, 2);
}

TEST_F(FileProcTest, ApplicationLogInBlockShiftModeWithDepthsPositive) {
  const std::string a = m_dir.File("a.xyz");
  WriteFileBytes(a, "100.0 -60.0 1.00\n");  // far outside the grid: still shifted
  CTrans_NULL none;
  CTrans_BlockShift shift(0.5);
  CTransBase::s_sign = -1.0;  // restored by the test grid's guard
  Run({a}, &none, &shift);
  EXPECT_TRUE(std::regex_match(AppLog(), std::regex(R"(.+\tNULL\tBlock Shift\tGeneric text\t1\tdemo\.MRGGrid\t-1\n)")))
      << AppLog();
}

TEST_F(FileProcTest, ApplicationLogRestartsOnlyBeyondTheLimit) {
  const std::string a = m_dir.File("a.xyz");
  WriteFileBytes(a, InsideLines(1));
  const std::string path = m_program.File("Application Log.txt");

  WriteFileBytes(path, std::string(CFileProc::kApplicationLogLimit, 'x'));
  Run({a});
  const std::string kept = AppLog();
  EXPECT_EQ(kept.substr(0, CFileProc::kApplicationLogLimit), std::string(CFileProc::kApplicationLogLimit, 'x'));
  EXPECT_NE(kept.find("\tLAT\tMSL\t", CFileProc::kApplicationLogLimit), std::string::npos);

  m_messenger.Clear();
  WriteFileBytes(path, std::string(CFileProc::kApplicationLogLimit + 1, 'x'));
  Run({a});
  const std::string restarted = AppLog();
  EXPECT_EQ(restarted.find("xx"), std::string::npos);
  EXPECT_EQ(SplitLines(restarted).size(), 1u);
}

// An installed program's folder takes no log from an ordinary user. Root may write
// anywhere, so the tests stand for it with a program folder that is missing, and with
// one where the log's name is taken by a folder: neither can be opened for appending.
TEST_F(FileProcTest, ApplicationLogThatCannotBeBesideTheProgramGoesToTheStateFolder) {
  const std::string a = m_dir.File("a.xyz");
  WriteFileBytes(a, InsideLines(1));
  const fs::path state = m_dir.Path() / "state";
  const CScopedEnv xdg("XDG_STATE_HOME", state.c_str());
  const fs::path stateLog = state / "marevert" / "Application Log.txt";

  Run({a});  // a writable program folder keeps the log and creates no state folder
  EXPECT_NE(AppLog().find("\tLAT\tMSL\t"), std::string::npos);
  EXPECT_FALSE(fs::exists(state));

  SetProgramFolderOverride(m_program.File("missing"));
  m_messenger.Clear();
  Run({a});
  EXPECT_EQ(SplitLines(ReadFileBytes(stateLog.string())).size(), 1u);
  EXPECT_EQ(fs::status(state / "marevert").permissions(), fs::perms::owner_all);

  const std::string blocked = m_program.File("blocked");
  fs::create_directories(blocked + "/Application Log.txt");
  SetProgramFolderOverride(blocked);
  m_messenger.Clear();
  Run({a});
  EXPECT_TRUE(std::regex_match(ReadFileBytes(stateLog.string()),
                               std::regex(R"((.+\tLAT\tMSL\tGeneric text\t1\tdemo\.MRGGrid\t1\n){2})")));
}

// No output of a batch may replace an input of the same batch.
TEST_F(FileProcTest, OutputThatWouldReplaceAnotherInputIsRefused) {
  const std::string a = m_dir.File("a.xyz"), aMsl = m_dir.File("a_MSL.xyz"), aLat = m_dir.File("a_LAT.xyz");
  WriteFileBytes(a, InsideLines(2));
  WriteFileBytes(aMsl, InsideLines(3));
  Run({a, aMsl});  // a.xyz would write its transformed records into a_MSL.xyz
  EXPECT_EQ(ReadFileBytes(aMsl), InsideLines(3));
  const std::vector<std::string> summary = Summary();
  ASSERT_GE(summary.size(), 4u);
  EXPECT_EQ(std::vector<std::string>(summary.begin(), summary.begin() + 4),
            (std::vector<std::string>{"", "Error with file: " + a,
                                      "Output file error: cannot open file, or cannot write to file",
                                      "Files OK: 1, files with errors: 1"}));
  EXPECT_TRUE(fs::exists(m_dir.File("a_MSL_MSL.xyz")));  // the other file is processed as usual

  // The excluded file's name counts too, also when the input is named another way.
  m_messenger.Clear();
  fs::remove(aMsl);
  WriteFileBytes(aLat, "140.0 -27.5 9.00\n");
  fs::create_directory(m_dir.File("sub"));
  Run({m_dir.Path().string() + "/./a.xyz", m_dir.Path().string() + "/sub/../a_LAT.xyz"});
  EXPECT_EQ(ReadFileBytes(aLat), "140.0 -27.5 9.00\n");
  EXPECT_EQ(m_ok, 1);
  EXPECT_EQ(m_errors, 1);

  // So does an output's temporary name, where a killed run's leftover would be removed.
  m_messenger.Clear();
  fs::remove(aLat);
  const std::string partial = m_dir.File("a_MSL.marevert-partial.xyz");
  WriteFileBytes(partial, InsideLines(1));
  Run({a, partial});
  EXPECT_EQ(ReadFileBytes(partial), InsideLines(1));
  EXPECT_EQ(m_errors, 1);
}

TEST_F(FileProcTest, OutputNameThatLeadsBackToTheInputIsRefused) {
  const std::string a = m_dir.File("a.xyz");
  WriteFileBytes(a, InsideLines(2));
  fs::create_symlink(a, m_dir.File("a_MSL.xyz"));
  Run({a});
  EXPECT_EQ(ReadFileBytes(a), InsideLines(2));
  EXPECT_EQ(m_errors, 1);
  EXPECT_EQ(Summary()[2], "Output file error: cannot open file, or cannot write to file");

  // A hard link with the output's name is the same file as well.
  m_messenger.Clear();
  fs::remove(m_dir.File("a_MSL.xyz"));
  fs::create_hard_link(a, m_dir.File("a_LAT.xyz"));
  Run({a});
  EXPECT_EQ(ReadFileBytes(a), InsideLines(2));
  EXPECT_EQ(m_errors, 1);
}

TEST_F(FileProcTest, BatchLogDoesNotReplaceAnInputNamedLikeIt) {
  const std::string log = m_dir.File("Log.txt");
  WriteFileBytes(log, InsideLines(2));
  Run({log});
  EXPECT_EQ(ReadFileBytes(log), InsideLines(2));
  EXPECT_EQ(m_ok, 1);
  const std::vector<std::string> summary = Summary();
  ASSERT_GE(summary.size(), 2u);
  EXPECT_EQ(summary[summary.size() - 2], "Error generating log file:");
  EXPECT_EQ(summary.back(), log);
}

// A handler of another library, registered after the four: it takes files that begin
// with "STUB", says two notes and names its outputs ".out" (it writes nothing).
class CStubHandler : public CFileBase {
 public:
  bool CanRead(const std::string& path) override { return ReadFileBytes(path).rfind("STUB", 0) == 0; }
  std::string GetFormatName() const override { return "Stub"; }
  std::string GetOutputPath(const CTransBase* ref, const std::string& path) override {
    return path.substr(0, path.rfind('.')) + "_" + ref->GetShortName() + ".out";
  }

 protected:
  FileResult TransformFile(const std::string& path, const Task& task) override {
    m_notes = {"first note", "second note"};
    task.transformed = 3;
    return ReadFileBytes(path) == "STUB fail" ? kFileException : kFileDone;
  }
};

TEST_F(FileProcTest, RegisteredHandlerComesLastAndItsNotesFollowItsFile) {
  CFileFactory::Instance()->Register<CStubHandler>();
  const std::string text = m_dir.File("a.xyz"), ok = m_dir.File("ok.dat"), fail = m_dir.File("fail.dat"),
                    clash = m_dir.File("c.dat"), clashOutput = m_dir.File("c_MSL.out");
  WriteFileBytes(text, InsideLines(1));
  WriteFileBytes(ok, "STUB ok");
  WriteFileBytes(fail, "STUB fail");
  WriteFileBytes(clash, "STUB ok");
  WriteFileBytes(clashOutput, "STUB ok");
  Run({text, ok, fail, clash, clashOutput});
  CFileFactory::Release();

  // The survey file gets no new lines; a file the output guard refuses gets no notes.
  EXPECT_EQ(Summary(), (std::vector<std::string>{"",
                                                 "Note for file: " + ok,
                                                 "first note",
                                                 "second note",
                                                 "",
                                                 "Error with file: " + fail,
                                                 "File input/output processing exception",
                                                 "first note",
                                                 "second note",
                                                 "",
                                                 "Error with file: " + clash,
                                                 "Output file error: cannot open file, or cannot write to file",
                                                 "",
                                                 "Note for file: " + clashOutput,
                                                 "first note",
                                                 "second note",
                                                 "Files OK: 3, files with errors: 2",
                                                 "Processed 5 file(s) of 5",
                                                 "",
                                                 "Summary log file written to:",
                                                 m_dir.File("Log.txt")}));
  EXPECT_NE(AppLog().find("	Generic text, Stub	10	"), std::string::npos) << AppLog();
}

// Several files at once: the same summary, logs and outputs as one after another.

// Removes the handlers a test registered (the factory is made afresh on next use).
struct CFactoryGuard {
  ~CFactoryGuard() { CFileFactory::Release(); }
};

// Every file of a folder with its bytes, the batch log less its date line.
std::map<std::string, std::string> FolderBytes(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    std::string bytes = ReadFileBytes(entry.path().string());
    if (entry.path().filename() == "Log.txt")
      bytes.erase(bytes.find("Generated: "), bytes.find("\n\n") - bytes.find("Generated: "));
    files[entry.path().filename().string()] = bytes;
  }
  return files;
}

TEST_F(FileProcTest, SeveralFilesAtOnceGiveWhatOneAfterAnotherGives) {
  const CFactoryGuard guard;
  CFileFactory::Instance()->Register<CStubHandler>();
  // A long first file, so that later files finish first; every kind of outcome.
  const fs::path in = m_dir.Path() / "in";
  fs::create_directory(in);
  std::vector<std::string> files;
  const auto add = [&](const std::string& name, const std::string& bytes) {
    files.push_back((in / name).string());
    if (!bytes.empty()) WriteFileBytes(files.back(), bytes);
  };
  add("long.xyz", InsideLines(20000) + "140.0 -27.5 1.00\n");
  add("missing.xyz", "");
  add("header.xyz", "x y z\n");
  add("g.asc", "ncols 2\nnrows 2\nxllcorner 151\nyllcorner -28\ncellsize 0.1\nNODATA_value -9999\n1 2\n3 4\n");
  add("ok.dat", "STUB ok");
  add("fail.dat", "STUB fail");
  add("c.dat", "STUB ok");
  add("c_MSL.out", "STUB ok");
  for (int i = 0; i < 6; ++i) add("short" + std::to_string(i) + ".xyz", InsideLines(3 + i) + "140.0 -27.5 1.00\n");
  const std::map<std::string, std::string> inputs = FolderBytes(in);

  std::vector<std::string> summaries[2];
  std::map<std::string, std::string> folders[2];
  std::string appLogs[2];
  int counts[2][3];
  for (int run = 0; run < 2; ++run) {
    m_jobs = run == 0 ? 1 : 3;
    m_messenger.Clear();
    fs::remove(m_program.File("Application Log.txt"));
    Run(files);
    summaries[run] = Summary();
    folders[run] = FolderBytes(in);
    appLogs[run] = AppLog().substr(AppLog().find('\t'));  // less the date and time
    counts[run][0] = m_ok, counts[run][1] = m_errors, counts[run][2] = m_handled;
    for (const auto& file : folders[run])
      if (inputs.count(file.first) == 0) fs::remove(in / file.first);
  }
  EXPECT_EQ(summaries[1], summaries[0]);
  EXPECT_EQ(folders[1], folders[0]);
  EXPECT_EQ(appLogs[1], appLogs[0]);
  EXPECT_EQ(std::vector<int>(counts[1], counts[1] + 3), std::vector<int>(counts[0], counts[0] + 3));
  EXPECT_EQ(summaries[0][summaries[0].size() - 4], "Processed 12 file(s) of 14");
  EXPECT_EQ(m_texts.back(), "14 of 14 files done");
}

// A handler that keeps its file until the batch is cancelled (at most a minute, when it
// says it is done).
class CWaitingHandler : public CFileBase {
 public:
  bool CanRead(const std::string& path) override { return ReadFileBytes(path) == "WAIT"; }
  std::string GetFormatName() const override { return "Waiting"; }

 protected:
  FileResult TransformFile(const std::string&, const Task& task) override {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (!task.process->IsCancelled()) {
      if (std::chrono::steady_clock::now() > deadline) return kFileDone;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return kFileCancelled;
  }
};

TEST_F(FileProcTest, CancelStopsEveryRunningFileAndStartsNoOther) {
  const CFactoryGuard guard;
  CFileFactory::Instance()->Register<CWaitingHandler>();
  const std::string a = m_dir.File("a.dat"), b = m_dir.File("b.dat"), c = m_dir.File("c.xyz"), d = m_dir.File("d.xyz");
  WriteFileBytes(a, "WAIT");
  WriteFileBytes(b, "WAIT");
  WriteFileBytes(c, InsideLines(2));
  WriteFileBytes(d, InsideLines(2));
  m_jobs = 2;
  Run({a, b, c, d}, CFilesTestGrid::Lat(), CFilesTestGrid::Msl(), "0 of 4 files done");

  EXPECT_EQ(Summary(), (std::vector<std::string>{"", "Error with file: " + a, "Processing cancelled by user", "",
                                                 "Error with file: " + b, "Processing cancelled by user", "",
                                                 "WARNING processing interrupted, not all files processed",
                                                 "Files OK: 0, files with errors: 2", "Processed 2 file(s) of 4", "",
                                                 "Summary log file written to:", m_dir.File("Log.txt")}));
  EXPECT_FALSE(fs::exists(m_dir.File("c_MSL.xyz")));
  EXPECT_NE(AppLog().find("\tLAT\tMSL\tWaiting\t0\t"), std::string::npos) << AppLog();
}

}  // namespace
