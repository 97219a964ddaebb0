// Every page and dialog shows its texts whole in the default font, also the longest
// messages its labels take, and carries the program's icon. The windows run beside the
// real data files, as at a first start.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTabBar>

#include "core/common/PathUtil.h"
#include "core/map/MapData.h"
#include "gui/app/MarevertDlg.h"
#include "gui/map/DlgMap.h"
#include "gui/map/MapLayersMenu.h"
#include "gui/pages/DlgFileTransform.h"
#include "gui/pages/DlgPtTransform.h"
#include "gui/pages/GridGenDlg.h"
#include "gui/qt/MessageBox.h"
#include "gui/qt/ProgramIdentity.h"
#include "gui/windows/DlgDisclaimer.h"
#include "gui/windows/MessageDlg.h"
#include "gui/windows/ProgressDlg.h"
#include "support/CutTexts.h"
#include "support/GuiFixture.h"

namespace {

// The cut texts of `window`, and "no icon" when it has none.
std::string Faults(const QWidget* window) {
  return CutTexts(window) + (window->windowIcon().isNull() ? "no icon" : "");
}

using WindowTexts = CGuiFixture;

TEST_F(WindowTexts, EveryPageAndDialogShowsItsTextsWhole) {
  CMapData::Release();
  SetProgramFolderOverride(MAREVERT_BIN_DIR);
  QApplication::setWindowIcon(ProgramIcon());  // as the program does at start-up
  {
    CMarevertDlg dlg;
    dlg.SetDisclaimerRunner([](QWidget*, const std::string&, const std::string&, bool) { return true; });
    ASSERT_TRUE(dlg.Initialise());
    dlg.show();
    EXPECT_EQ(Faults(&dlg), "") << "file page";
    auto* file = qobject_cast<CDlgFileTransform*>(dlg.CurrentPage());
    file->BlockShiftCheck()->click();
    file->BlockShiftEdit()->setText("x");  // the hint
    EXPECT_EQ(Faults(&dlg), "") << "file page, block shift hint";

    dlg.TabBar()->setCurrentIndex(1);
    auto* point = qobject_cast<CDlgPtTransform*>(dlg.CurrentPage());
    // Results, then each message in its label: latitude, longitude, height, outside the grid.
    for (const char* inputs : {"-33.85 151.35 1.5", "x", "-33.85 x", "-33.85 151.35 x", "-33.85 100 1"}) {
      const QStringList texts = QString(inputs).split(' ');
      point->LatitudeEdit()->setText(texts.value(0));
      point->LongitudeEdit()->setText(texts.value(1));
      point->HeightEdit()->setText(texts.value(2));
      EXPECT_EQ(Faults(&dlg), "") << "point page " << inputs;
    }
    CDlgMap* map = point->Map();
    for (const QPoint& at : {map->DrawRect().center(), map->DrawRect().topLeft() + QPoint(1, 1)}) {
      QMouseEvent move(QEvent::MouseMove, at, map->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
      QApplication::sendEvent(map, &move);  // position and grid state, inside and outside
      map->repaint();                       // the span
      EXPECT_EQ(Faults(map), "") << "coast map";
    }
    // The separation under the cursor between the longest names, at the map's first size.
    map->LayersMenu()->SeparationAction()->trigger();
    map->LayersMenu()->FromAction("MHWS")->trigger();
    map->LayersMenu()->ToAction("Ellipsoid (GDA94/WGS84)")->trigger();
    for (int step = 0; step < 5; ++step) map->ZoomIn();
    map->ShowMarker(true, -33.85, 151.35);  // centres the view on a position in the grid
    const CPixelPt sydney = map->View().MapToClient(CMapPt(151.35f, -33.85f));
    QMouseEvent move(QEvent::MouseMove, QPointF(sydney.x, sydney.y), map->mapToGlobal(QPointF(sydney.x, sydney.y)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(map, &move);
    EXPECT_TRUE(map->SeparationStatusText().startsWith("Ellipsoid above MHWS: "))
        << map->SeparationStatusText().toStdString();
    EXPECT_FALSE(map->SeparationStatusText().contains(QChar(0x2026)));  // not cut short
    EXPECT_EQ(Faults(map), "") << "coast map, separation";
    for (int tab : {2, 3}) {
      dlg.TabBar()->setCurrentIndex(tab);
      EXPECT_EQ(Faults(&dlg), "") << "tab " << tab;
    }
  }

  CGridGenDlg settings;
  CDlgDisclaimer disclaimer("Marevert Disclaimer", "Licence.rtf", false);
  CDlgDisclaimer document("Marevert Disclaimer", "Licence.rtf", true);  // one button only
  CProgressDlg progress("Processing files ...", nullptr, true);
  const std::vector<std::string> lines{"Processing summary"};
  CMessageDlg list("Processing summary", &lines);
  auto box = MakeMessageBox(nullptr, "Limit of zoom reached");
  for (QWidget* window :
       std::initializer_list<QWidget*>{&settings, &disclaimer, &document, &progress, &list, box.get()}) {
    window->show();
    EXPECT_EQ(Faults(window), "") << window->windowTitle().toStdString();
  }

  QApplication::setWindowIcon(QIcon());
  SetProgramFolderOverride("");
  CMapData::Release();
}

}  // namespace
