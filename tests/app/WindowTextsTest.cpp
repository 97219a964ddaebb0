// Every page and dialog shows its texts whole in the default font, also the longest
// messages that its labels can take, and carries the program's icon. The windows run
// beside the real data files (demo grid, coast data, documents, icon).
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTabBar>

#include "app/MarevertDlg.h"
#include "common/MessageBox.h"
#include "common/PathUtil.h"
#include "common/Profile.h"
#include "common/ProgramIdentity.h"
#include "map/DlgMap.h"
#include "map/MapData.h"
#include "process/MessageDlg.h"
#include "process/ProgressDlg.h"
#include "support/CutTexts.h"
#include "ui/DlgDisclaimer.h"
#include "ui/DlgFileTransform.h"
#include "ui/DlgPtTransform.h"
#include "ui/GridGenDlg.h"

namespace {

class WindowTextsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CMapData::Release();
    SetProgramFolderOverride(MAREVERT_BIN_DIR);
    QApplication::setWindowIcon(ProgramIcon());  // as the program does at start-up
  }
  void TearDown() override {
    QApplication::setWindowIcon(QIcon());
    SetProgramFolderOverride("");
    CMapData::Release();
  }

  // The texts of `window` that are cut, and "no icon" when it has none.
  static std::string Faults(const QWidget* window) {
    return CutTexts(window) + (window->windowIcon().isNull() ? "no icon" : "");
  }

  // The main window with the demo grid loaded, as at a first start.
  std::unique_ptr<CMarevertDlg> MainWindow() {
    auto dlg = std::make_unique<CMarevertDlg>();
    dlg->SetDisclaimerRunner([](QWidget*, const std::string&, const std::string&, bool) { return true; });
    dlg->SetExitHook([](int) {});
    EXPECT_TRUE(dlg->Initialise());
    dlg->show();
    return dlg;
  }

  // A first start; jobs and messages go to the default runner and console.
  CMemoryProfile m_profile;
  CScopedProfile m_scopedProfile{&m_profile};
};

TEST_F(WindowTextsTest, PagesShowTheirTextsWhole) {
  auto dlg = MainWindow();
  EXPECT_EQ(Faults(dlg.get()), "") << "file page";

  auto* file = qobject_cast<CDlgFileTransform*>(dlg->CurrentPage());
  ASSERT_NE(file, nullptr);
  file->BlockShiftCheck()->click();
  file->BlockShiftEdit()->setText("x");
  EXPECT_EQ(Faults(dlg.get()), "") << "file page, block shift hint";

  dlg->TabBar()->setCurrentIndex(1);
  auto* point = qobject_cast<CDlgPtTransform*>(dlg->CurrentPage());
  ASSERT_NE(point, nullptr);
  // Each message in its own label: latitude, longitude, height, then the results caption.
  for (const auto& [lat, lon, height] :
       {std::tuple{"-33.85", "151.35", "1.5"}, std::tuple{"x", "", ""}, std::tuple{"-33.85", "x", ""},
        std::tuple{"-33.85", "151.35", "x"}, std::tuple{"-33.85", "100", "1"}}) {
    point->LatitudeEdit()->setText(lat);
    point->LongitudeEdit()->setText(lon);
    point->HeightEdit()->setText(height);
    EXPECT_EQ(Faults(dlg.get()), "") << "point page " << lat << " " << lon << " " << height;
  }
  CDlgMap* map = point->Map();
  ASSERT_NE(map, nullptr);
  for (const QPoint& at : {map->DrawRect().center(), map->DrawRect().topLeft() + QPoint(1, 1)}) {
    QMouseEvent move(QEvent::MouseMove, at, map->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(map, &move);  // the position and the grid state
    map->repaint();                       // the span
    EXPECT_EQ(Faults(map), "") << "coast map";
  }

  for (int tab : {2, 3}) {
    dlg->TabBar()->setCurrentIndex(tab);
    EXPECT_EQ(Faults(dlg.get()), "") << "tab " << tab;
  }
}

TEST_F(WindowTextsTest, DialogsShowTheirTextsWhole) {
  CGridGenDlg settings;
  settings.show();
  EXPECT_EQ(Faults(&settings), "") << "grid generation settings";

  for (bool single : {false, true}) {
    CDlgDisclaimer disclaimer("Marevert Disclaimer", "Licence.rtf", single);
    disclaimer.show();
    EXPECT_EQ(Faults(&disclaimer), "") << "document dialog";
  }

  CProgressDlg progress("Processing files ...", nullptr, true);
  progress.show();
  EXPECT_EQ(Faults(&progress), "") << "progress window";

  const std::vector<std::string> lines{"Processing summary"};
  CMessageDlg list("Processing summary", &lines);
  list.show();
  EXPECT_EQ(Faults(&list), "") << "message list";

  auto box = MakeMessageBox(nullptr, "Limit of zoom reached");
  box->show();
  EXPECT_EQ(Faults(box.get()), "") << "message box";
}

}  // namespace
