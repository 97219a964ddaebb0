#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "core/jobs/ConsoleProgress.h"
#include "core/jobs/JobRunner.h"
#include "core/jobs/ProcessBase.h"

namespace {

// Records the notifications in the order they arrive.
class CRecordingWindow : public CProcessWindow {
 public:
  explicit CRecordingWindow(CProcessBase& job) : m_job(job) {}
  void OnProcessProgress(unsigned percent) override { Add("progress " + std::to_string(percent)); }
  void OnProcessText() override { Add("text"); }  // job lock held: no GetText here
  void OnProcessDone() override { Add("done " + m_job.GetText()); }
  std::vector<std::string> Events() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_events;
  }

 private:
  void Add(const std::string& e) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_events.push_back(e);
  }
  CProcessBase& m_job;
  std::mutex m_mutex;
  std::vector<std::string> m_events;
};

class CCountingJob : public CProcessBase {
 public:
  void Run() override {
    SetText("Counting");
    CProgressThrottle throttle;
    for (int p = 0; p <= 100; ++p) {
      if (IsCancelled()) break;
      throttle.Report(*this, p);
    }
    SetText("Finished");
  }
};

}  // namespace

TEST(ProcessBase, StartsEmptyNotCancelledWithoutWindow) {
  CCountingJob job;
  EXPECT_EQ(job.GetText(), "");
  EXPECT_FALSE(job.IsCancelled());
  EXPECT_EQ(job.GetWindow(), nullptr);
  job.SetProgress(50);  // no window: nothing to notify, nothing breaks
  job.SetCancel(true);
  job.SetCancel(true);
  EXPECT_TRUE(job.IsCancelled());
}

TEST(ProcessBase, NotificationsArriveInOrderAndDoneComesLast) {
  CCountingJob job;
  CRecordingWindow window(job);
  job.SetWindow(&window);
  ProcessThreadEntry(&job);
  const auto events = window.Events();
  // More than 5 above the last report (which starts at -5): 1, 7, 13, ... 97.
  std::vector<std::string> expected = {"text"};
  for (int p = 1; p <= 100; p += 6) expected.push_back("progress " + std::to_string(p));
  expected.push_back("text");
  expected.push_back("done Finished");
  EXPECT_EQ(events, expected);
}

TEST(ProcessBase, CancelledJobStillEndsWithDone) {
  CCountingJob job;
  CRecordingWindow window(job);
  job.SetWindow(&window);
  job.SetCancel(true);
  ProcessThreadEntry(&job);
  const auto events = window.Events();
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back(), "done Finished");
  EXPECT_EQ(std::count(events.begin(), events.end(), "progress 0"), 0);
}

TEST(ThreadJobRunner, RunsTheBodyOnAnotherThreadAndWaits) {
  CCountingJob job;
  CThreadJobRunner runner(false);
  runner.RunModal(job, "Counting", true);
  EXPECT_EQ(job.GetText(), "Finished");
  EXPECT_EQ(job.GetWindow(), nullptr);
}

TEST(ConsoleProgress, DrawsOneLineOnlyWhenForcedOrOnATerminal) {
  CCountingJob job;
  std::FILE* sink = std::tmpfile();
  ASSERT_NE(sink, nullptr);
  {
    CConsoleProgress quiet(job, "Building grid file", sink);  // a file is not a terminal
    EXPECT_FALSE(quiet.IsActive());
    quiet.OnProcessProgress(40);
  }
  EXPECT_EQ(std::ftell(sink), 0L);
  {
    CConsoleProgress shown(job, "Building grid file", sink, true);
    job.SetText("Gridding data ...");
    shown.OnProcessProgress(140);
  }
  std::rewind(sink);
  char buffer[256] = {};
  const std::size_t n = std::fread(buffer, 1, sizeof buffer - 1, sink);
  std::fclose(sink);
  const std::string text(buffer, n);
  EXPECT_NE(text.find("Building grid file: Gridding data ...  100%"), std::string::npos) << text;
  EXPECT_EQ(text.back(), '\n');
}
