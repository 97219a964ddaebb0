#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <atomic>
#include <functional>
#include <future>
#include <thread>

#include "core/jobs/ProcessBase.h"
#include "gui/windows/GuiJobRunner.h"
#include "gui/windows/ProgressDlg.h"
#include "support/GuiFixture.h"
#include "support/QtTestUtil.h"

namespace {

// A job whose body the test supplies.
class CScriptJob : public CProcessBase {
 public:
  explicit CScriptJob(std::function<void(CScriptJob&)> body) : m_body(std::move(body)) {}
  void Run() override {
    m_thread = std::this_thread::get_id();
    m_body(*this);
    m_ran = true;
  }
  std::thread::id m_thread;
  std::atomic<bool> m_ran{false};

 private:
  std::function<void(CScriptJob&)> m_body;
};

// A job that runs until the test releases it, noting whether it saw the cancel flag.
class CHeldJob : public CProcessBase {
 public:
  void Run() override {
    m_started = true;
    while (!m_release) {
      if (IsCancelled()) m_sawCancel = true;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  std::atomic<bool> m_started{false};
  std::atomic<bool> m_release{false};
  std::atomic<bool> m_sawCancel{false};
};

class CNoThreadDlg : public CProgressDlg {
 public:
  using CProgressDlg::CProgressDlg;

 protected:
  bool StartWorker() override { return false; }
};

// An empty profile keeps the placements; messages are recorded.
using ProgressDlg = CGuiFixture;

}  // namespace

TEST_F(ProgressDlg, NotificationsArriveInOrderClampedAndDoneClosesLast) {
  CScriptJob job([](CScriptJob& j) {
    j.SetProgress(10);
    j.SetText("Reading grid file ...");
    j.SetProgress(150);
    j.SetProgress(20);
    j.SetProgress(static_cast<unsigned>(-1));  // a negative value read as unsigned
    j.SetProgress(0x80000000u);                // would be negative as an int
    j.SetProgress(40);
    j.SetText("Finishing");
    j.SetProgress(55);
  });
  CProgressDlg dialog("Marevert - Reading grid file", &job, false);
  std::vector<int> shown;
  QObject::connect(dialog.ProgressBar(), &QProgressBar::valueChanged, [&](int v) { shown.push_back(v); });
  EXPECT_EQ(dialog.exec(), QDialog::Rejected);
  EXPECT_TRUE(job.m_ran);
  EXPECT_NE(job.m_thread, std::this_thread::get_id());
  EXPECT_EQ(shown, (std::vector<int>{0, 10, 100, 20, 100, 40, 55}));
  EXPECT_EQ(dialog.ProgressBar()->value(), 55);  // every notification was handled before done
  EXPECT_EQ(dialog.StatusLine()->text(), "Finishing");
  EXPECT_EQ(dialog.windowTitle(), "Marevert - Reading grid file");
  EXPECT_EQ(job.GetWindow(), nullptr);  // nothing points at the window after it closed
}

TEST_F(ProgressDlg, JobNeverWaitsForTheWindow) {
  // The UI thread processes no events while the job runs: the job must still finish.
  std::promise<void> finished;
  CScriptJob job([&](CScriptJob& j) {
    for (unsigned p = 0; p < 20000; ++p) {
      j.SetProgress(p % 101);
      j.SetText("Step " + std::to_string(p));
    }
    finished.set_value();
  });
  CProgressDlg dialog("Processing files ...", &job, true);
  dialog.show();
  EXPECT_EQ(finished.get_future().wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_TRUE(dialog.isVisible());  // the done notification is waiting in the queue
  EXPECT_TRUE(WaitUntil([&] { return !dialog.isVisible(); }));
  EXPECT_EQ(dialog.StatusLine()->text(), "Step 19999");
  EXPECT_EQ(dialog.ProgressBar()->value(), 19999 % 101);
}

TEST_F(ProgressDlg, CancelAndEscapeOnlyRaiseTheFlagUntilTheJobEnds) {
  CHeldJob job;
  CProgressDlg dialog("Building grid file", &job, true);
  dialog.show();
  ASSERT_TRUE(WaitUntil([&] { return job.m_started.load(); }));
  EXPECT_TRUE(dialog.CancelButton()->isVisible());
  EXPECT_EQ(dialog.ProgressBar()->value(), 0);

  dialog.CancelButton()->click();
  EXPECT_TRUE(job.IsCancelled());
  job.SetCancel(false);
  PressKey(&dialog, Qt::Key_Escape);
  EXPECT_TRUE(job.IsCancelled());
  job.SetCancel(false);
  dialog.close();
  PressKey(&dialog, Qt::Key_Return);
  EXPECT_TRUE(job.IsCancelled());
  ASSERT_TRUE(WaitUntil([&] { return job.m_sawCancel.load(); }));
  QApplication::processEvents();
  EXPECT_TRUE(dialog.isVisible());

  job.m_release = true;
  EXPECT_TRUE(WaitUntil([&] { return !dialog.isVisible(); }));
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST_F(ProgressDlg, WithoutCancelTheButtonIsHiddenAndEscapeStillOnlyRaisesTheFlag) {
  CHeldJob job;
  CProgressDlg dialog("Marevert - Reading grid file", &job, false);
  dialog.show();
  ASSERT_TRUE(WaitUntil([&] { return job.m_started.load(); }));
  EXPECT_TRUE(dialog.CancelButton()->isHidden());
  PressKey(&dialog, Qt::Key_Escape);
  EXPECT_TRUE(job.IsCancelled());
  QApplication::processEvents();
  EXPECT_TRUE(dialog.isVisible());
  job.m_release = true;
  EXPECT_TRUE(WaitUntil([&] { return !dialog.isVisible(); }));
  EXPECT_EQ(dialog.ProgressBar()->value(), 0);  // the job never reported a percentage
  EXPECT_EQ(dialog.StatusLine()->text(), "");
}

TEST_F(ProgressDlg, PlacementIsKeptPerCaptionAndOffScreenCentres) {
  QSize templateSize;
  {
    CScriptJob job([](CScriptJob&) {});
    CProgressDlg dialog("Building grid file", &job, true);
    templateSize = dialog.size();
    dialog.exec();
    const QRect frame = dialog.frameGeometry();
    EXPECT_EQ(m_profile.GetInt("Building grid file", "Wnd Left", -1), frame.left());
    EXPECT_EQ(m_profile.GetInt("Building grid file", "Wnd Right", -1), frame.left() + dialog.width());
    EXPECT_FALSE(m_profile.Has("Processing files ...", "Wnd Left"));
  }
  // A stored position is reused; the size stays that of the window.
  m_profile.WriteInt("Building grid file", "Wnd Left", 40);
  m_profile.WriteInt("Building grid file", "Wnd Top", 50);
  m_profile.WriteInt("Building grid file", "Wnd Right", 41);
  m_profile.WriteInt("Building grid file", "Wnd Bottom", 51);
  {
    CScriptJob job([](CScriptJob&) {});
    CProgressDlg dialog("Building grid file", &job, true);
    dialog.exec();
    EXPECT_EQ(dialog.pos(), QPoint(40, 50));
    EXPECT_EQ(dialog.size(), templateSize);
  }
  // Stored off the screen: centred.
  m_profile.WriteInt("Building grid file", "Wnd Left", -4000);
  m_profile.WriteInt("Building grid file", "Wnd Right", -3000);
  {
    CScriptJob job([](CScriptJob&) {});
    CProgressDlg dialog("Building grid file", &job, true);
    dialog.exec();
    EXPECT_EQ(dialog.frameGeometry().topLeft(), ScreenCentreFor(dialog.frameGeometry().size()));
  }
}

TEST_F(ProgressDlg, FailedThreadStartReportsAndEndsWithoutRunningTheJob) {
  CScriptJob job([](CScriptJob&) {});
  CNoThreadDlg dialog("Processing files ...", &job, true);
  EXPECT_EQ(dialog.exec(), QDialog::Rejected);
  EXPECT_FALSE(job.m_ran);
  EXPECT_EQ(m_messenger.Messages(), std::vector<std::string>{"Failed to create processing thread ..."});
  EXPECT_EQ(job.GetWindow(), nullptr);
}

TEST_F(ProgressDlg, DestroyedBeforeTheJobEndedCancelsAndWaitsForIt) {
  CHeldJob job;
  std::thread releaser;
  {
    CProgressDlg dialog("Processing files ...", &job, true);
    dialog.show();
    ASSERT_TRUE(WaitUntil([&] { return job.m_started.load(); }));
    // Released only once cancelled, as a job that polls the flag would stop.
    releaser = std::thread([&] {
      while (!job.IsCancelled()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      job.m_release = true;
    });
  }
  EXPECT_TRUE(job.m_release);
  EXPECT_EQ(job.GetWindow(), nullptr);
  releaser.join();
}

TEST(GuiJobRunner, RunsTheJobUnderAModalProgressWindow) {
  CHeldJob job;
  QString caption;
  bool cancelShown = true;
  CWindowCloser<CProgressDlg> look([&](CProgressDlg* d) {
    if (!job.m_started) return;
    caption = d->windowTitle();
    cancelShown = d->CancelButton()->isVisible();
    job.m_release = true;
  });
  CGuiJobRunner runner;
  runner.RunModal(job, "Marevert - Reading grid file", false);
  EXPECT_EQ(caption, "Marevert - Reading grid file");
  EXPECT_FALSE(cancelShown);
  EXPECT_TRUE(job.m_release);

  // Off the UI thread it runs the job without a window.
  CScriptJob quiet([](CScriptJob&) {});
  std::thread other([&] { runner.RunModal(quiet, "Building grid file", true); });
  other.join();
  EXPECT_TRUE(quiet.m_ran);
}
