// The point transformation page in the main window's second tab: a sign convention
// change recomputes it at once, and switching tabs keeps its inputs through the profile.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QSignalSpy>
#include <QTabBar>
#include <QTableWidget>

#include "core/map/CoastFileWriter.h"
#include "core/map/MapData.h"
#include "gui/app/MarevertDlg.h"
#include "gui/map/DlgMap.h"
#include "gui/pages/DlgPtTransform.h"
#include "support/GridFileWriter.h"
#include "support/GuiFixture.h"
#include "support/TestSupport.h"

namespace {

class PointPageTabTest : public CGuiFixture {
 protected:
  void SetUp() override {
    // Beside the program: a grid of one cell and coast data around it.
    WriteOneCellGrid(m_folder.File("demo.MRGGrid"));
    WriteFileBytes(
        m_folder.File(CMapData::kFileName),
        CCoastFileWriter().Header().Int32(1).Line({{130, -13}, {131, -13}, {131, -12}, {130, -12}}).Int32(0).Bytes());
    // Inside the cell.
    m_profile.WriteString("Point Transform", "Lat", "-12.495");
    m_profile.WriteString("Point Transform", "Lon", "130.255");
    m_profile.WriteString("Point Transform", "Ht", "1.5");

    m_dlg = std::make_unique<CMarevertDlg>();
    m_dlg->SetDisclaimerRunner([](QWidget*, const std::string&, const std::string&, bool) { return true; });
    m_dlg->SetExitHook([](int) {});
  }
  CDlgPtTransform* PointPage() const { return qobject_cast<CDlgPtTransform*>(m_dlg->CurrentPage()); }
  std::vector<QString> Column(int column) const {
    std::vector<QString> texts;
    QTableWidget* list = PointPage()->ResultsList();
    for (int row = 0; row < list->rowCount(); ++row) texts.push_back(list->item(row, column)->text());
    return texts;
  }

  CProgramFolder m_folder;
  std::unique_ptr<CMarevertDlg> m_dlg;
};

TEST_F(PointPageTabTest, SignChangeRecomputesThePointPageOnce) {
  ASSERT_TRUE(m_dlg->Initialise());
  ASSERT_TRUE(m_dlg->Grid().IsLoaded());
  m_dlg->TabBar()->setCurrentIndex(1);
  ASSERT_NE(PointPage(), nullptr);
  ASSERT_NE(PointPage()->Map(), nullptr);
  ASSERT_EQ(PointPage()->ResultsList()->rowCount(), 16);
  const std::vector<QString> names = Column(0);
  const std::vector<QString> separations = Column(1);

  QSignalSpy spy(PointPage(), &CDlgPtTransform::ResultsUpdated);
  m_dlg->SignCombo()->setCurrentIndex(1);
  QApplication::processEvents();
  EXPECT_EQ(spy.count(), 1);
  // Distinct separations: the order turns over and every separation changes sign.
  EXPECT_EQ(Column(0), std::vector<QString>(names.rbegin(), names.rend()));
  std::vector<QString> flipped;
  for (auto it = separations.rbegin(); it != separations.rend(); ++it)
    flipped.push_back(*it == "0.00" ? *it : it->startsWith('-') ? it->mid(1) : "-" + *it);
  EXPECT_EQ(Column(1), flipped);
  EXPECT_TRUE(m_messenger.Messages().empty());
}

TEST_F(PointPageTabTest, ChosenReferenceAndInputsSurviveAnotherTab) {
  ASSERT_TRUE(m_dlg->Initialise());
  m_dlg->TabBar()->setCurrentIndex(1);
  QComboBox* from = PointPage()->FromCombo();
  from->setCurrentIndex(from->findText("MLW"));
  PointPage()->HeightEdit()->setText("-3.25");
  QPointer<CDlgMap> map = PointPage()->Map();

  m_dlg->TabBar()->setCurrentIndex(3);
  EXPECT_EQ(PointPage(), nullptr);
  EXPECT_TRUE(map.isNull());  // the coast map goes with the page

  m_dlg->TabBar()->setCurrentIndex(1);
  ASSERT_NE(PointPage(), nullptr);
  EXPECT_EQ(PointPage()->FromCombo()->currentText(), "MLW");
  EXPECT_EQ(PointPage()->LatitudeEdit()->text(), "-12.495");
  EXPECT_EQ(PointPage()->HeightEdit()->text(), "-3.25");
  EXPECT_EQ(PointPage()->ResultsList()->rowCount(), 16);
}

}  // namespace
