// The main window: start-up from prepared profile values, the disclaimer, pages and
// closing. The program folder is a scratch folder; jobs run synchronously and their
// messages are recorded.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "core/trans/TransBase.h"
#include "gui/app/MarevertDlg.h"
#include "gui/pages/DlgAbout.h"
#include "gui/pages/DlgGridFile.h"
#include "gui/pages/PageBase.h"
#include "gui/windows/DlgDisclaimer.h"
#include "gui/windows/GuiJobRunner.h"
#include "support/GridFileWriter.h"
#include "support/GuiFixture.h"
#include "support/TestSupport.h"

namespace {

// Counts the refresh events a page receives.
class CRefreshCounter : public QObject {
 public:
  int m_count = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == CPageBase::RefreshEventType()) ++m_count;
    return false;
  }
};

// Counts every write that reaches the profile.
class CCountingProfile : public CMemoryProfile {
 public:
  void WriteString(const std::string& section, const std::string& key, const std::string& value) override {
    ++m_writes;
    CMemoryProfile::WriteString(section, key, value);
  }
  void WriteInt(const std::string& section, const std::string& key, int value) override {
    ++m_writes;
    CMemoryProfile::WriteInt(section, key, value);
  }
  int m_writes = 0;
};

class MarevertDlgTest : public CGuiFixture {
 protected:
  // A main window whose disclaimer answers `accept` and whose exit is recorded.
  std::unique_ptr<CMarevertDlg> MakeWindow(bool accept) {
    auto dlg = std::make_unique<CMarevertDlg>();
    dlg->SetDisclaimerRunner([this, accept](QWidget*, const std::string& title, const std::string& file, bool single) {
      m_disclaimers.push_back(title + "|" + file + "|" + (single ? "single" : "two"));
      return accept;
    });
    dlg->SetExitHook([this](int status) { m_exits.push_back(status); });
    return dlg;
  }

  bool AnySettingWritten() {
    for (const auto& [section, key] : std::vector<std::pair<std::string, std::string>>{{"Grid file", "Current"},
                                                                                       {"Vertical datum", "Selection"},
                                                                                       {"CMarevertDlg", "Wnd Left"},
                                                                                       {"CMarevertDlg", "Wnd Top"},
                                                                                       {"CMarevertDlg", "Wnd Right"},
                                                                                       {"CMarevertDlg", "Wnd Bottom"}})
      if (m_profile.Has(section, key)) return true;
    return false;
  }

  CProgramFolder m_folder;
  CScratchDir m_elsewhere;
  std::vector<std::string> m_disclaimers;
  std::vector<int> m_exits;
};

TEST_F(MarevertDlgTest, RememberedGridIsLoadedAndTheFolderNotSearched) {
  const std::string remembered = m_elsewhere.File("remembered.MRGGrid");
  WriteOneCellGrid(remembered, 4);
  WriteFileBytes(m_folder.File("a.MRGGrid"), "broken");  // a search would report it
  m_profile.WriteString("Grid file", "Current", remembered);

  auto dlg = MakeWindow(true);
  ASSERT_TRUE(dlg->Initialise());
  EXPECT_EQ(dlg->Grid().GetFilePath(), remembered);
  EXPECT_TRUE(m_messenger.Messages().empty());
  EXPECT_EQ(m_disclaimers, std::vector<std::string>{"Marevert Disclaimer|Licence.rtf|two"});
  EXPECT_TRUE(m_exits.empty());
}

TEST_F(MarevertDlgTest, FailingRememberedGridFallsBackToTheFirstGridBesideTheProgram) {
  const std::string missing = m_elsewhere.File("gone.MRGGrid");
  m_profile.WriteString("Grid file", "Current", missing);
  WriteOneCellGrid(m_folder.File("b_second.MRGGrid"), 2);
  WriteOneCellGrid(m_folder.File("a_first.MRGGrid"), 1);

  auto dlg = MakeWindow(true);
  ASSERT_TRUE(dlg->Initialise());
  EXPECT_EQ(dlg->Grid().GetFilePath(), m_folder.File("a_first.MRGGrid"));
  EXPECT_EQ(dlg->Grid().GetMajorVersion(), 1);
  EXPECT_EQ(m_messenger.Messages(), std::vector<std::string>{"Cannot open grid file:\n" + missing});
}

TEST_F(MarevertDlgTest, OnlyTheFirstGridOfTheFolderIsTried) {
  WriteFileBytes(m_folder.File("a.MRGGrid"), "not a grid");
  WriteOneCellGrid(m_folder.File("b.MRGGrid"), 2);
  auto dlg = MakeWindow(true);
  ASSERT_TRUE(dlg->Initialise());  // starts without a grid
  EXPECT_FALSE(dlg->Grid().IsLoaded());
  ASSERT_FALSE(m_messenger.Messages().empty());
  EXPECT_EQ(m_messenger.Messages().back(), "Failed to load grid file:\n" + m_folder.File("a.MRGGrid"));
}

TEST_F(MarevertDlgTest, FirstGridFileIsChosenInNameOrderWithAnyCaseOfExtension) {
  const std::string folder = m_folder.Folder();
  EXPECT_EQ(CMarevertDlg::FindFirstGridFile(folder), "");
  std::filesystem::create_directory(m_folder.Path() / "0_folder.MRGGrid");
  WriteFileBytes(m_folder.File("notes.txt"), "x");
  WriteFileBytes(m_folder.File("z.MRGGrid"), "x");
  WriteFileBytes(m_folder.File("m.mrggrid"), "x");
  EXPECT_EQ(CMarevertDlg::FindFirstGridFile(folder), folder + "m.mrggrid");
  EXPECT_EQ(CMarevertDlg::FindFirstGridFile(m_elsewhere.Path().string() + "/missing/"), "");
}

TEST_F(MarevertDlgTest, StoredSelectionOutOfRangeMeansDepthsNegative) {
  for (int stored : {5, -1, 0}) {
    m_profile.WriteInt("Vertical datum", "Selection", stored);
    CTransBase::s_sign = -1.0;
    auto dlg = MakeWindow(true);
    ASSERT_TRUE(dlg->Initialise());
    EXPECT_EQ(dlg->SignCombo()->currentIndex(), 0) << stored;
    EXPECT_EQ(dlg->SignCombo()->currentText(), "Depths negative/Heights positive");
    EXPECT_EQ(CTransBase::s_sign, 1.0) << stored;
  }
  m_profile.WriteInt("Vertical datum", "Selection", 1);
  auto dlg = MakeWindow(true);
  ASSERT_TRUE(dlg->Initialise());
  EXPECT_EQ(dlg->SignCombo()->currentText(), "Depths positive/Heights negative");
  EXPECT_EQ(CTransBase::s_sign, -1.0);
}

TEST_F(MarevertDlgTest, PlacementOnScreenMovesOffScreenCentres) {
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  m_profile.WriteInt("CMarevertDlg", "Wnd Left", 10);
  m_profile.WriteInt("CMarevertDlg", "Wnd Top", 20);
  m_profile.WriteInt("CMarevertDlg", "Wnd Right", 30);  // size is kept, not taken
  m_profile.WriteInt("CMarevertDlg", "Wnd Bottom", 40);
  {
    auto dlg = MakeWindow(true);
    const QSize size = dlg->size();
    ASSERT_TRUE(dlg->Initialise());
    EXPECT_EQ(dlg->frameGeometry().topLeft(), QPoint(10, 20));
    EXPECT_EQ(dlg->size(), size);
  }
  m_profile.WriteInt("CMarevertDlg", "Wnd Left", screen.width() + 100);
  m_profile.WriteInt("CMarevertDlg", "Wnd Right", screen.width() + 900);
  auto dlg = MakeWindow(true);
  ASSERT_TRUE(dlg->Initialise());
  const QPoint centre = dlg->frameGeometry().center();
  const QPoint available = QGuiApplication::primaryScreen()->availableGeometry().center();
  EXPECT_LE((centre - available).manhattanLength(), 2);
}

TEST_F(MarevertDlgTest, DeclineExitsWithOneAndWritesNothing) {
  WriteOneCellGrid(m_folder.File("demo.MRGGrid"), 1);
  {
    auto dlg = MakeWindow(false);
    EXPECT_FALSE(dlg->Initialise());
    EXPECT_EQ(m_exits, std::vector<int>{1});
    EXPECT_FALSE(dlg->isVisible());
    dlg->reject();  // a later close writes nothing either
  }                 // nor does destroying the window
  EXPECT_FALSE(AnySettingWritten());

  auto dlg = std::make_unique<CMarevertDlg>();
  dlg->SetDisclaimerRunner([](QWidget*, const std::string&, const std::string&, bool) { return false; });
  EXPECT_EQ(dlg->Run(), 1);  // without an exit hook the status comes back from Run
  EXPECT_FALSE(AnySettingWritten());
}

TEST_F(MarevertDlgTest, DeclineWritesNoSettingOnTheWholeStartUpPath) {
  WriteOneCellGrid(m_folder.File("demo.MRGGrid"), 1);
  CCountingProfile profile;
  profile.WriteString("File Transform", "Zone", "99");
  profile.m_writes = 0;
  CScopedProfile scopedProfile(&profile);
  CGuiJobRunner gui;  // the start-up grid load under the real progress window
  CScopedJobRunner scopedRunner(&gui);
  {
    auto dlg = MakeWindow(false);
    EXPECT_FALSE(dlg->Initialise());
    EXPECT_TRUE(dlg->Grid().IsLoaded());
  }
  EXPECT_EQ(profile.m_writes, 0);
  EXPECT_EQ(profile.GetString("File Transform", "Zone", ""), "99");

  // Accepted, the same start keeps what it wrote: the progress window's placement.
  auto dlg = MakeWindow(true);
  ASSERT_TRUE(dlg->Initialise());
  EXPECT_TRUE(profile.Has("Marevert - Reading grid file", "Wnd Left"));
}

TEST_F(MarevertDlgTest, MissingLicenceLeavesOnlyDecline) {
  // The real document dialog, with no Licence.rtf beside the program.
  auto dlg = std::make_unique<CMarevertDlg>();
  dlg->SetExitHook([this](int status) { m_exits.push_back(status); });
  bool acceptEnabled = true;
  QString shownTitle;
  QTimer::singleShot(0, [&] {
    auto* disclaimer = qobject_cast<CDlgDisclaimer*>(QApplication::activeModalWidget());
    ASSERT_NE(disclaimer, nullptr);
    shownTitle = disclaimer->windowTitle();
    acceptEnabled = disclaimer->AcceptButton()->isEnabled();
    disclaimer->AcceptButton()->click();  // disabled: no effect
    disclaimer->DeclineButton()->click();
  });
  EXPECT_FALSE(dlg->Initialise());
  EXPECT_FALSE(acceptEnabled);
  EXPECT_EQ(shownTitle, "Marevert Disclaimer");
  EXPECT_EQ(m_exits, std::vector<int>{1});
  dlg.reset();
  EXPECT_FALSE(AnySettingWritten());
}

TEST_F(MarevertDlgTest, TabsShowOnePageAtATimeBelowTheHeaders) {
  auto dlg = MakeWindow(true);
  ASSERT_TRUE(dlg->Initialise());
  QTabBar* tabs = dlg->TabBar();
  ASSERT_EQ(tabs->count(), 4);
  EXPECT_EQ(tabs->tabText(0), "File Transformation");
  EXPECT_EQ(tabs->tabText(1), "Point Transformation");
  EXPECT_EQ(tabs->tabText(2), "Grid file");
  EXPECT_EQ(tabs->tabText(3), "About");
  EXPECT_EQ(tabs->currentIndex(), 0);
  EXPECT_GE(dlg->PageRect().top(), tabs->geometry().bottom());

  QPointer<CPageBase> first = dlg->CurrentPage();
  ASSERT_FALSE(first.isNull());
  tabs->setCurrentIndex(2);
  EXPECT_TRUE(first.isNull());  // destroyed, not hidden
  QPointer<CPageBase> grid = dlg->CurrentPage();
  ASSERT_NE(qobject_cast<CDlgGridFile*>(grid.data()), nullptr);
  EXPECT_EQ(grid->geometry(), dlg->PageRect());
  EXPECT_EQ(dlg->findChildren<CPageBase*>().size(), 1);

  dlg->ShowPage(4);  // no such page: nothing changes
  EXPECT_EQ(dlg->CurrentPage(), grid.data());

  tabs->setCurrentIndex(3);
  EXPECT_TRUE(grid.isNull());
  EXPECT_NE(qobject_cast<CDlgAbout*>(dlg->CurrentPage()), nullptr);
  dlg->ShowPage(3);  // the same tab again makes a fresh page
  EXPECT_EQ(dlg->findChildren<CPageBase*>().size(), 1);
}

TEST_F(MarevertDlgTest, SignChangeSetsTheFactorAndRefreshesThePage) {
  auto dlg = MakeWindow(true);
  ASSERT_TRUE(dlg->Initialise());
  CRefreshCounter counter;
  dlg->CurrentPage()->installEventFilter(&counter);
  dlg->SignCombo()->setCurrentIndex(1);
  EXPECT_EQ(CTransBase::s_sign, -1.0);
  EXPECT_EQ(counter.m_count, 0);  // posted, not sent
  QApplication::processEvents();
  EXPECT_EQ(counter.m_count, 1);
  dlg->SignCombo()->setCurrentIndex(0);
  EXPECT_EQ(CTransBase::s_sign, 1.0);
}

TEST_F(MarevertDlgTest, ClosingWritesTheSettingsAndDestroysThePage) {
  const std::string grid = m_folder.File("demo.MRGGrid");
  WriteOneCellGrid(grid, 1);
  auto dlg = MakeWindow(true);
  ASSERT_TRUE(dlg->Initialise());
  dlg->show();
  dlg->SignCombo()->setCurrentIndex(1);
  QPointer<CPageBase> page = dlg->CurrentPage();

  // Enter is ignored; Escape closes.
  QTest::keyClick(dlg.get(), Qt::Key_Return);
  QTest::keyClick(dlg.get(), Qt::Key_Enter);
  EXPECT_TRUE(dlg->isVisible());
  EXPECT_FALSE(AnySettingWritten());
  QTest::keyClick(dlg.get(), Qt::Key_Escape);
  EXPECT_FALSE(dlg->isVisible());

  EXPECT_TRUE(page.isNull());
  EXPECT_EQ(m_profile.GetString("Grid file", "Current", "?"), grid);
  EXPECT_EQ(m_profile.GetInt("Vertical datum", "Selection", -9), 1);
  const QRect frame = dlg->frameGeometry();
  EXPECT_EQ(m_profile.GetInt("CMarevertDlg", "Wnd Left", -9), frame.x());
  EXPECT_EQ(m_profile.GetInt("CMarevertDlg", "Wnd Top", -9), frame.y());
  EXPECT_GT(m_profile.GetInt("CMarevertDlg", "Wnd Right", -9), frame.x());
  EXPECT_GT(m_profile.GetInt("CMarevertDlg", "Wnd Bottom", -9), frame.y());
}

TEST_F(MarevertDlgTest, CloseButtonEndsAndAnEmptyGridPathIsStored) {
  auto dlg = MakeWindow(true);
  ASSERT_TRUE(dlg->Initialise());
  dlg->show();
  m_profile.WriteString("Grid file", "Current", "stale");
  dlg->findChild<QPushButton*>("close")->click();
  EXPECT_FALSE(dlg->isVisible());
  EXPECT_EQ(dlg->result(), QDialog::Rejected);
  EXPECT_EQ(m_profile.GetString("Grid file", "Current", "?"), "");
  EXPECT_EQ(m_profile.GetInt("Vertical datum", "Selection", -9), 0);
}

}  // namespace
