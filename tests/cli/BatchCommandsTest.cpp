// A batch over many cores and many runs: transform --jobs, --result-json and --log,
// summarize, and Ctrl-C. Whatever way a batch is run, its outputs, printed summary and
// Log.txt (less its date line) are those of one run of one file after another.

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "LazFile.h"
#include "LazRandomRecords.h"
#include "core/common/NumberText.h"
#include "support/CliRun.h"
#include "support/TestSupport.h"

extern char** environ;

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

const std::string kDemoGrid = MAREVERT_SOURCE_DIR "/data/Marevert_Demo_Synthetic_NotForNavigation.MRGGrid";
const std::string kLatToAhd = "--grid '" + kDemoGrid + "' --from LAT --to AHD --zone 56 --depths-positive ";

// A batch log less its "Generated: " line, the only one that differs between runs.
std::string LessDateLine(std::string log) {
  const std::size_t date = log.find("Generated: ");
  if (date != std::string::npos) log.erase(date, log.find('\n', date) + 1 - date);
  return log;
}

// Runs a copy of marevert-cli placed in the scratch folder, so that its application
// log (kept beside the program) lands there too; the batch's files are in work/.
class BatchCommandsTest : public ::testing::Test {
 protected:
  BatchCommandsTest() {
    fs::copy_file(MAREVERT_BIN_DIR "/marevert-cli", Program());
    fs::create_directory(Work(""));
  }
  std::string Program() const { return m_dir.File("marevert-cli"); }
  std::string Work(const std::string& name) const { return m_dir.File("work/" + name); }
  CCliRun Cli(const std::string& arguments) const {
    return RunShell(Work(""), "'" + Program() + "' " + arguments, m_dir);
  }
  CCliRun Transform(const std::string& arguments) const { return Cli("transform " + arguments); }
  // The application log's lines, less their dates.
  std::vector<std::string> AppLogLines() const {
    std::vector<std::string> lines;
    std::ifstream in(m_dir.File("Application Log.txt"));
    for (std::string line; std::getline(in, line);) lines.push_back(line.substr(line.find('\t')));
    return lines;
  }
  // Every sample file in work/ (but the BAG, whose outputs' metadata hold the time they
  // were written), and their names in order.
  std::string CopySamples() const {
    std::string names;
    for (const auto& entry : fs::directory_iterator(MAREVERT_SOURCE_DIR "/data/samples")) {
      if (entry.path().extension() == ".bag") continue;
      fs::copy_file(entry.path(), Work(entry.path().filename().string()));
      m_inputs.push_back(entry.path().filename().string());
    }
    std::sort(m_inputs.begin(), m_inputs.end());
    for (const std::string& name : m_inputs) names += " " + name;
    return names;
  }
  // What a run left in work/ (the batch log less its date line); takes it away again.
  std::map<std::string, std::string> TakeOutputs() const {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(Work(""))) {
      const std::string name = entry.path().filename().string();
      if (std::find(m_inputs.begin(), m_inputs.end(), name) != m_inputs.end()) continue;
      const std::string bytes = ReadFileBytes(entry.path().string());
      files[name] = name == "Log.txt" ? LessDateLine(bytes) : bytes;
      fs::remove(entry.path());
    }
    return files;
  }

  CScratchDir m_dir;
  mutable std::vector<std::string> m_inputs;
};

TEST_F(BatchCommandsTest, JobsAndRunsPerFileWithSummarizeGiveTheBytesOfOneRun) {
  const std::string names = CopySamples() + " missing.xyz";
  m_inputs.push_back("missing.xyz");
  const CCliRun one = Transform(kLatToAhd + "--jobs 1" + names);
  EXPECT_EQ(one.exitCode, 1) << one.err;  // the missing file
  const std::map<std::string, std::string> expected = TakeOutputs();
  ASSERT_GT(expected.size(), 10u);

  const CCliRun three = Transform(kLatToAhd + "--jobs 3" + names);
  EXPECT_EQ(three.exitCode, 1) << three.err;
  EXPECT_EQ(three.out, one.out);
  EXPECT_EQ(TakeOutputs(), expected);
  const std::vector<std::string> appLog = AppLogLines();
  ASSERT_EQ(appLog.size(), 2u);
  EXPECT_EQ(appLog[1], appLog[0]);

  // One run per file, as a cluster script runs them, with their logs and results aside.
  fs::create_directory(m_dir.File("results"));
  std::string results;
  int index = 0;
  for (std::string name : m_inputs) {
    const std::string result = m_dir.File("results/" + std::to_string(index++));
    const CCliRun run =
        Transform(kLatToAhd + "--jobs 1 --log '" + result + ".log' --result-json '" + result + ".json' " + name);
    EXPECT_EQ(run.exitCode, name == "missing.xyz" ? 1 : 0) << name << run.err;
    results += " '" + result + ".json'";
    // Separations to the centimetre, as every height the command line prints.
    const json separation = json::parse(ReadFileBytes(result + ".json"))["results"][0]["separation"];
    for (const char* figure : {"min", "max", "mean"}) {
      if (separation.is_null()) continue;
      const double value = separation[figure].get<double>();
      EXPECT_EQ(value, RoundFixed2(value)) << name << " " << figure;
    }
  }
  const CCliRun summary = Cli("summarize" + results);
  EXPECT_EQ(summary.exitCode, 1) << summary.err;
  EXPECT_EQ(summary.out, one.out);
  EXPECT_EQ(TakeOutputs(), expected);
  EXPECT_EQ(AppLogLines().size(), 2 + m_inputs.size());  // summarize adds none
}

TEST_F(BatchCommandsTest, ResultJsonGivesEachFilesFigures) {
  WriteFileBytes(Work("a.xyz"), "151.5 -27.5 1.00\n100.0 -60.0 2.00\n151.7 -27.5 nan\n");
  WriteFileBytes(Work("header.xyz"), "x y z\n");
  WriteFileBytes(Work("r.json"), "an older result, replaced");
  const CCliRun run = Transform("--block-shift 0.5 --result-json r.json a.xyz missing.xyz header.xyz");
  ASSERT_EQ(run.exitCode, 1) << run.err;
  const json result = json::parse(ReadFileBytes(Work("r.json")));
  EXPECT_EQ(result["format"], "marevert transform result");
  EXPECT_EQ(result["version"], 1);
  EXPECT_EQ(result["from"], "NULL");
  EXPECT_EQ(result["to"], "Block Shift");
  EXPECT_EQ(result["block_shift"], 0.5);
  EXPECT_EQ(result["grid"], "");
  EXPECT_EQ(result["sign"], 1);
  EXPECT_EQ(result["files"], json({Work("a.xyz"), Work("missing.xyz"), Work("header.xyz")}));
  EXPECT_EQ(result["interrupted"], false);
  ASSERT_EQ(result["results"].size(), 3u);

  json a = result["results"][0];
  EXPECT_GE(a["seconds"].get<double>(), 0.0);
  EXPECT_LT(a["seconds"].get<double>(), 60.0);
  a.erase("seconds");
  EXPECT_EQ(a, json::parse(R"({"path": ")" + Work("a.xyz") + R"(", "format": "Generic text", "result": 0,
      "message": "", "notes": [], "transformed": 2, "outside": 1,
      "separation": {"min": 0.5, "max": 0.5, "mean": 0.5}})"));
  const json& missing = result["results"][1];
  EXPECT_EQ(missing["result"], -1);
  EXPECT_EQ(missing["message"], "Cannot open the file");
  EXPECT_EQ(missing["separation"], nullptr);
  EXPECT_EQ(result["results"][2]["message"], "Cannot recognise the file format");

  // A result file that cannot be written fails the run, which still prints its summary.
  const CCliRun unwritable = Transform("--block-shift 0.5 --result-json no/r.json a.xyz");
  EXPECT_EQ(unwritable.exitCode, 1);
  EXPECT_NE(unwritable.err.find("Cannot write the result file " + Work("no/r.json")), std::string::npos)
      << unwritable.err;
  EXPECT_NE(unwritable.out.find("Files OK: 1, files with errors: 0\n"), std::string::npos);
}

TEST_F(BatchCommandsTest, SummarizeRefusesResultFilesItCannotTrustAndWritesNothing) {
  WriteFileBytes(Work("a.xyz"), "151.5 -27.5 1.00\n");
  WriteFileBytes(Work("b.xyz"), "151.5 -27.5 1.00\n");
  ASSERT_EQ(Transform("--block-shift 0.5 --log a.log --result-json a.json a.xyz").exitCode, 0);
  ASSERT_EQ(Transform("--block-shift 0.25 --log b.log --result-json b.json b.xyz").exitCode, 0);
  const std::string good = ReadFileBytes(Work("a.json"));
  const auto edited = [&](const std::string& from, const std::string& to) {
    std::string text = good;
    text.replace(text.find(from), from.size(), to);
    return text;
  };
  WriteFileBytes(Work("text.json"), "Files OK: 1");
  WriteFileBytes(Work("other.json"), edited("marevert transform result", "something else"));
  WriteFileBytes(Work("order.json"), edited("\"path\": \"" + Work("a.xyz"), "\"path\": \"" + Work("b.xyz")));
  WriteFileBytes(Work("count.json"), edited("\"transformed\": 1", "\"transformed\": -1"));
  const struct {
    std::string arguments, message;
  } cases[] = {
      {"missing.json", "Cannot read the result file " + Work("missing.json") + ": cannot open the file"},
      {"text.json", "Cannot read the result file " + Work("text.json") + ": [json.exception.parse_error"},
      {"other.json", "not a marevert transform result of version 1"},
      {"order.json", "the result for " + Work("b.xyz") + " is not that of the run's next file"},
      {"count.json", "\"transformed\" is not a whole number of 0 or more"},
      {"a.json b.json", "The result file " + Work("b.json") + " is of another transformation than " + Work("a.json")},
  };
  for (const auto& c : cases) {
    const CCliRun run = Cli("summarize " + c.arguments);
    EXPECT_EQ(run.exitCode, 1) << c.arguments;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << c.arguments << "\n" << run.err;
    EXPECT_EQ(run.out, "") << c.arguments;
  }
  EXPECT_FALSE(fs::exists(Work("Log.txt")));
  EXPECT_EQ(Cli("summarize").exitCode, 2);
  EXPECT_EQ(Transform("--block-shift 1 --jobs 0 a.xyz").exitCode, 2);

  const CCliRun run = Cli("summarize a.json --log elsewhere.txt");
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.out.find("Summary log file written to:\n" + Work("elsewhere.txt") + "\n"), std::string::npos);
  EXPECT_EQ(LessDateLine(ReadFileBytes(Work("elsewhere.txt"))), LessDateLine(ReadFileBytes(Work("a.log"))));
}

// Lines of a generic text file, all inside the demo grid.
void WriteLongSurvey(const std::string& path, int lines) {
  std::ofstream out(path, std::ios::binary);
  for (int i = 0; i < lines; ++i) out << "151.79 -33.26 " << i % 1000 << ".25\n";
}

TEST_F(BatchCommandsTest, CtrlCCancelsEveryRunningFileAndKeepsTheSummaryAndLogs) {
  constexpr int kLines = 3000000;  // long enough to be running still when the signal comes
  WriteLongSurvey(Work("a.xyz"), kLines);
  WriteLongSurvey(Work("b.xyz"), kLines);
  WriteFileBytes(Work("c.xyz"), "151.79 -33.26 1.00\n");
  const std::string out = m_dir.File("out.txt");
  const std::string command = "cd '" + Work("") + "' && exec '" + Program() + "' transform " + kLatToAhd +
                              "--jobs 2 a.xyz b.xyz c.xyz >'" + out + "' 2>/dev/null";
  const char* argv[] = {"sh", "-c", command.c_str(), nullptr};
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ), 0);
  // Both files are under way once both have their outputs (under their temporary names).
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!(fs::exists(Work("a_AHD.marevert-partial.xyz")) && fs::exists(Work("b_AHD.marevert-partial.xyz"))) &&
         std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  kill(pid, SIGINT);
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);

  const std::string summary = ReadFileBytes(out);
  for (const char* name : {"a.xyz", "b.xyz"}) {
    EXPECT_NE(summary.find("Error with file: " + Work(name) + "\nProcessing cancelled by user\n"), std::string::npos)
        << summary;
  }
  EXPECT_NE(summary.find("\nWARNING processing interrupted, not all files processed\n"
                         "Files OK: 0, files with errors: 2\nProcessed 2 file(s) of 3\n"),
            std::string::npos)
      << summary;
  EXPECT_FALSE(fs::exists(Work("c_AHD.xyz")));
  EXPECT_TRUE(fs::exists(Work("Log.txt")));
  EXPECT_EQ(AppLogLines().size(), 1u);
}

// A LAS 1.2 file of `points` records of format 0, all at one position inside the demo
// grid (longitude and latitude in units of 1e-7 degrees, heights in centimetres).
void WriteLongLas(const std::string& path, std::uint32_t points) {
  constexpr std::uint16_t kHeaderSize = 227, kRecordLength = 20;
  std::string header(kHeaderSize, '\0');
  const auto put = [&header](std::size_t at, auto value) { std::memcpy(&header[at], &value, sizeof value); };
  header.replace(0, 4, "LASF");
  header[24] = 1;  // version 1.2
  header[25] = 2;
  put(94, kHeaderSize);
  put(96, std::uint32_t{kHeaderSize});  // the points follow the header
  put(105, kRecordLength);
  put(107, points);
  put(111, points);  // all first returns
  for (const std::size_t at : {131, 139}) put(at, 1e-7);
  put(147, 0.01);
  for (const auto& [at, value] :
       {std::pair{179, 151.79}, {187, 151.79}, {195, -33.26}, {203, -33.26}, {211, 10.25}, {219, 10.25}})
    put(static_cast<std::size_t>(at), value);
  std::string record(kRecordLength, '\0');
  const std::int32_t xyz[3] = {1517900000, -332600000, 1025};
  std::memcpy(&record[0], xyz, sizeof xyz);
  std::ofstream out(path, std::ios::binary);
  out << header;
  for (std::uint32_t i = 0; i < points; ++i) out << record;
}

// A LAZ file of `points` records of format 1 with every field random but the position,
// inside the demo grid (at 0.01 degrees a unit, as the codec's MakeLas scales them), so
// that the chunks our encoder writes are not small.
void WriteLongLaz(const std::string& path, std::size_t points) {
  CBytes records = RandomRecords(1, 0, points, 99);
  for (std::size_t i = 0; i < points; ++i) {
    const std::int32_t xy[2] = {15171 + static_cast<std::int32_t>(i % 17), -3338 + static_cast<std::int32_t>(i % 26)};
    std::memcpy(&records[i * 28], xy, sizeof xy);
  }
  const CBytes laz = LasToLaz(MakeLas(1, 28, records));
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(laz.data()), laz.size());
}

// A run killed part way through a file (SIGKILL: an out-of-memory kill, a cluster's time
// limit) leaves no file under an output's final name, only the temporary beside it; the
// next run removes that and writes what an uninterrupted run writes. A text file, a LAS
// file, a LAZ file and (where GDAL's tools are) a raster, each big enough to be under way
// a while.
TEST_F(BatchCommandsTest, KilledRunLeavesOnlyTemporariesAndTheNextRunWritesTheWholeFile) {
  std::vector<std::string> inputs = {"a.xyz", "b.las", "d.laz"};
  WriteLongSurvey(Work("a.xyz"), 600000);
  WriteLongLas(Work("b.las"), 600000);
  WriteLongLaz(Work("d.laz"), 600000);
#ifdef MAREVERT_WITH_GDAL
  const std::string raster =
      "gdal_create -q -of GTiff -outsize 2400 2400 -ot Float32 -burn 2.5 -a_srs EPSG:4283 "
      "-a_ullr 151.7 -33.2 151.9 -33.4 '" +
      Work("c.tif") + "' 2>/dev/null";
  if (std::system(raster.c_str()) == 0) inputs.push_back("c.tif");
#endif
  constexpr std::uintmax_t kUnderWay = 1 << 20;  // bytes of an output written
  for (const std::string& input : inputs) {
    const std::size_t dot = input.find('.');
    const auto output = [&](const std::string& ref, const char* partial = "") {
      return Work(input.substr(0, dot) + "_" + ref + partial + input.substr(dot));
    };
    ASSERT_EQ(Transform(kLatToAhd + input).exitCode, 0) << input;
    const std::string complete = ReadFileBytes(output("AHD"));
    ASSERT_GT(complete.size(), 4 * kUnderWay) << input;
    fs::remove(output("AHD"));

    const std::string command =
        "cd '" + Work("") + "' && exec '" + Program() + "' transform " + kLatToAhd + input + " >/dev/null 2>&1";
    const char* argv[] = {"sh", "-c", command.c_str(), nullptr};
    bool killed = false;
    // A run that finishes before it can be killed (a loaded machine) is tried again.
    for (int attempt = 0; attempt < 3 && !killed; ++attempt) {
      fs::remove(output("AHD"));
      pid_t pid = 0;
      ASSERT_EQ(posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ), 0);
      int status = 0;
      std::error_code ec;
      while (waitpid(pid, &status, WNOHANG) == 0) {
        if (fs::file_size(output("AHD", ".marevert-partial"), ec) >= kUnderWay && !ec) {
          kill(pid, SIGKILL);
          waitpid(pid, &status, 0);
          break;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
      }
      killed = WIFSIGNALED(status);
    }
    ASSERT_TRUE(killed) << input;
    EXPECT_FALSE(fs::exists(output("AHD"))) << input;
    EXPECT_FALSE(fs::exists(output("LAT"))) << input;
    EXPECT_TRUE(fs::exists(output("AHD", ".marevert-partial"))) << input;

    EXPECT_EQ(Transform(kLatToAhd + input).exitCode, 0) << input;
    EXPECT_FALSE(fs::exists(output("AHD", ".marevert-partial"))) << input;
    EXPECT_FALSE(fs::exists(output("LAT", ".marevert-partial"))) << input;
    EXPECT_EQ(ReadFileBytes(output("AHD")) == complete, true) << input;
  }
}

}  // namespace
