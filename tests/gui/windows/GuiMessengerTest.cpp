#include <gtest/gtest.h>

#include <QApplication>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <atomic>
#include <mutex>
#include <thread>

#include "gui/windows/DlgDisclaimer.h"
#include "gui/windows/GuiMessenger.h"
#include "gui/windows/MessageDlg.h"
#include "support/QtTestUtil.h"
#include "support/TestSupport.h"

namespace {

// Events from both threads, in the order they happened.
class CLog {
 public:
  void Add(const std::string& e) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_events.push_back(e);
  }
  std::vector<std::string> Events() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_events;
  }

 private:
  std::mutex m_mutex;
  std::vector<std::string> m_events;
};

// Runs `work` on a worker thread while the UI thread keeps processing events.
void OnWorker(const std::function<void()>& work) {
  std::atomic<bool> finished{false};
  std::thread worker([&] {
    work();
    finished = true;
  });
  EXPECT_TRUE(WaitUntil([&] { return finished.load(); }, 10000));
  worker.join();
}

}  // namespace

TEST(GuiMessenger, MessageFromTheWorkerBlocksUntilTheUserClosesIt) {
  CGuiMessenger messenger;
  CLog log;
  QThread* uiThread = QThread::currentThread();
  CWindowCloser<QMessageBox> closer([&](QMessageBox* box) {
    log.Add(std::string(QThread::currentThread() == uiThread ? "ui" : "other") + " shows " + box->text().toStdString());
    std::this_thread::sleep_for(std::chrono::milliseconds(20));  // the worker must still be waiting
    log.Add("closed");
    box->button(QMessageBox::Ok)->click();
  });
  OnWorker([&] {
    messenger.ShowMessage("Cannot open grid file:\n/surveys/x.MRGGrid");
    log.Add("returned");
    messenger.ShowMessage("second");
    log.Add("returned");
  });
  EXPECT_EQ(log.Events(), (std::vector<std::string>{"ui shows Cannot open grid file:\n/surveys/x.MRGGrid", "closed",
                                                    "returned", "ui shows second", "closed", "returned"}));
}

TEST(GuiMessenger, CallsOnTheUiThreadShowDirectly) {
  CGuiMessenger messenger;
  int shown = 0;
  QString title;
  int width = 0;
  CWindowCloser<QMessageBox> closer([&](QMessageBox* box) {
    ++shown;
    title = box->windowTitle();
    width = box->width();
    box->button(QMessageBox::Ok)->click();
  });
  messenger.ShowMessage("Limit of pan");  // a blocking queued call here would never return
  EXPECT_EQ(shown, 1);
  // The program's display name, with room beside it for a title bar's icon and buttons.
  EXPECT_EQ(title, "Marevert");
  QFont bold = QApplication::font();
  bold.setBold(true);
  EXPECT_GE(width, QFontMetrics(bold).horizontalAdvance(title) + 8 * QFontMetrics(bold).height());
}

TEST(GuiMessenger, MessageListFromTheWorker) {
  CGuiMessenger messenger;
  std::vector<std::string> seen;
  std::string title;
  CWindowCloser<CMessageDlg> closer([&](CMessageDlg* dialog) {
    title = dialog->windowTitle().toStdString();
    for (int i = 0; i < dialog->List()->count(); ++i) seen.push_back(dialog->List()->item(i)->text().toStdString());
    dialog->CloseButton()->click();
  });
  const std::vector<std::string> lines = {"Points used: 4", "", "Points rejected: 0"};
  OnWorker([&] { messenger.ShowMessageList("Grid summary", lines); });
  EXPECT_EQ(title, "Grid summary");
  EXPECT_EQ(seen, lines);
}

TEST(GuiMessenger, DocumentFromTheWorkerAnswersTheAcceptedFlag) {
  CProgramFolder folder;
  WriteFileBytes(folder.File("Licence.rtf"), R"({\rtf1 Terms\par})");
  CGuiMessenger messenger;
  bool press = true;  // Accept, else Decline/OK
  bool singleMode = false;
  CWindowCloser<CDlgDisclaimer> closer([&](CDlgDisclaimer* dialog) {
    singleMode = dialog->AcceptButton()->isHidden();
    (press ? dialog->AcceptButton() : dialog->DeclineButton())->click();
  });
  bool accepted = false;
  OnWorker([&] { accepted = messenger.ShowDocument("Marevert Disclaimer", "Licence.rtf", false); });
  EXPECT_TRUE(accepted);
  EXPECT_FALSE(singleMode);
  press = false;
  OnWorker([&] { accepted = messenger.ShowDocument("Marevert Disclaimer", "Licence.rtf", false); });
  EXPECT_FALSE(accepted);
  OnWorker([&] { accepted = messenger.ShowDocument("Marevert Grid file expired", "Licence.rtf", true); });
  EXPECT_FALSE(accepted);
  EXPECT_TRUE(singleMode);
}
