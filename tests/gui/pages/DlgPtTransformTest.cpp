// The point transformation page: each check's message beside its input, the rows as
// shown, the grid status, the map's dot and its double right click, the profile between
// the page's lives, and the coast map's lifetime. Which texts pass the checks, the rows'
// order and their values are the computation's, pinned in tests/data/point.cases.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QSignalSpy>
#include <QTableWidget>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/grid/GridInt.h"
#include "core/map/CoastFileWriter.h"
#include "core/map/MapData.h"
#include "core/trans/TransTestSupport.h"
#include "gui/map/DlgMap.h"
#include "gui/pages/DlgPtTransform.h"
#include "support/GuiFixture.h"
#include "support/TestLattice.h"
#include "support/TestSupport.h"

namespace {

const QString kLatRange = "* Range [-90 .. 90]";
const QString kLonRange = "* Range [-180 .. 180]";
const QString kEnterNumber = "* Enter a number";
const QString kOutside = "* The requested position is not within the current grid";
const char* const kEllipsoid = "Ellipsoid (GDA94/WGS84)";

// The computation's order with DistinctSurfaces and the sign +1.
// The GDA2020 ellipsoid lies 0.09 m above the GDA94 one there, between MHWN and it.
const char* const kGda2020 = "Ellipsoid (GDA2020)";
const std::vector<QString> kOrderPlus = {"HAT", "MHWS", "MHHW", "MHW",  "MHWN", kGda2020, kEllipsoid, "MLHW",
                                         "MSL", "AHD",  "MLWN", "MHLW", "MLW",  "MLWS",   "MLLW",     "LAT"};

// A square island over 40 S..30 S, 140 E..150 E, the same as the grid below.
std::string SmallCoast() {
  return CCoastFileWriter()
      .Header()
      .Int32(1)
      .Line({{140, -40}, {150, -40}, {150, -30}, {140, -30}})
      .Int32(1)
      .Town(u"Alpha", 145, -35)
      .Bytes();
}

class DlgPtTransformTest : public CGuiFixture {
 protected:
  void SetUp() override {
    WriteFileBytes(m_dir.File(CMapData::kFileName), SmallCoast());

    // A 0.5-degree grid over 40 S..30 S, 140 E..150 E with the same values at every
    // node, so any position inside answers exactly DistinctSurfaces.
    FillUniform(m_grid, -40, 140, 0.5, 21, 21, CDataPt(DistinctSurfaces()));
    m_grid.SetFilePath(m_dir.File("demo.MRGGrid"));
  }
  CDlgPtTransform& Open(CGridInt* grid = nullptr) {
    m_page = std::make_unique<CDlgPtTransform>(grid ? grid : &m_grid, nullptr,
                                               [this](const QString& text) { m_mapMessages.push_back(text); });
    return *m_page;
  }
  void Type(const QString& lat, const QString& lon, const QString& height) {
    m_page->LatitudeEdit()->setText(lat);
    m_page->LongitudeEdit()->setText(lon);
    m_page->HeightEdit()->setText(height);
  }
  void ChooseFrom(const QString& name) {
    const int index = m_page->FromCombo()->findText(name);
    ASSERT_GE(index, 0) << name.toStdString();
    m_page->FromCombo()->setCurrentIndex(index);
  }
  // The four texts that may say why there are no results, in screen order.
  std::vector<QString> Messages() const {
    return {m_page->LatitudeMessage()->text(), m_page->LongitudeMessage()->text(), m_page->HeightMessage()->text(),
            m_page->ResultsCaption()->text()};
  }
  QString Cell(int row, int column) const {
    const QTableWidgetItem* item = m_page->ResultsList()->item(row, column);
    return item ? item->text() : QString("<none>");
  }
  std::vector<QString> Names() const {
    std::vector<QString> names;
    for (int row = 0; row < m_page->ResultsList()->rowCount(); ++row) names.push_back(Cell(row, 0));
    return names;
  }
  int RowOf(const QString& name) const {
    for (int row = 0; row < m_page->ResultsList()->rowCount(); ++row)
      if (Cell(row, 0) == name) return row;
    return -1;
  }
  const CMapView& View() const { return m_page->Map()->View(); }

  CCodingGuard m_guard;  // coding values and the sign factor
  CProgramFolder m_dir;
  CGridInt m_grid;
  std::vector<QString> m_mapMessages;
  std::unique_ptr<CDlgPtTransform> m_page;
};

TEST_F(DlgPtTransformTest, EachFailedCheckShowsItsMessageBesideItsInputOnly) {
  Open();
  struct Case {
    const char *lat, *lon, *height;
    std::vector<QString> messages;
  };
  const std::vector<Case> cases = {
      {"91", "999", "", {kLatRange, "", "", ""}},  // all three wrong: the latitude's message only
      {"-35", "180.5", "1", {"", kLonRange, "", ""}},
      {"-35", "145", "1.2.3", {"", "", kEnterNumber, ""}},
  };
  for (const Case& c : cases) {
    Type(c.lat, c.lon, c.height);
    EXPECT_EQ(Messages(), c.messages) << c.lat << " | " << c.lon << " | " << c.height;
    EXPECT_EQ(m_page->ResultsList()->rowCount(), 0);
    ASSERT_NE(m_page->Map(), nullptr);
    EXPECT_FALSE(View().HasMarker());
  }
  // Correcting the input clears the message and lists the results.
  Type("-35", "145", "1");
  EXPECT_EQ(Messages(), (std::vector<QString>{"", "", "", "Transformation results:"}));
  EXPECT_EQ(m_page->ResultsList()->rowCount(), 16);
}

TEST_F(DlgPtTransformTest, RowsShowTheComputationInItsOrderWithTwoDecimals) {
  Open();
  ChooseFrom("MSL");  // MSL lies 0.25 m below the ellipsoid
  Type("-35.2", "145.7", "1.234");
  ASSERT_EQ(m_page->ResultsCaption()->text(), "Transformation results:");
  EXPECT_EQ(Names(), kOrderPlus);
  // Separation, then height: the typed one in the from row, h + s(MSL) in the ellipsoid's.
  EXPECT_EQ(Cell(RowOf("MSL"), 1), "-0.25");
  EXPECT_EQ(Cell(RowOf("MSL"), 2), "1.23");
  EXPECT_EQ(Cell(RowOf(kEllipsoid), 1), "0.00");
  EXPECT_EQ(Cell(RowOf(kEllipsoid), 2), "0.98");
  EXPECT_EQ(Cell(RowOf("HAT"), 1), "1.25");
  EXPECT_EQ(Cell(RowOf("HAT"), 2), "-0.27");  // 0.984 - 1.25
  EXPECT_EQ(Cell(RowOf(kGda2020), 1), "0.09");
  EXPECT_EQ(Cell(RowOf(kGda2020), 2), "0.89");
  // The tooltip tells the two ellipsoids apart, with their distance at the position typed.
  const QString tip = m_page->ResultsList()->toolTip();
  EXPECT_TRUE(tip.contains("Ellipsoid (GDA2020): heights above the GDA2020 ellipsoid")) << tip.toStdString();
  EXPECT_TRUE(tip.contains("At -35.200000, 145.700000 the GDA2020 ellipsoid lies 0.09")) << tip.toStdString();
  EXPECT_EQ(m_page->FromCombo()->toolTip(), tip);

  // A lone minus is a height of 0, shown without a sign.
  m_page->HeightEdit()->setText("-");
  EXPECT_EQ(Cell(RowOf("MSL"), 2), "0.00");
  m_page->HeightEdit()->setText("-12.3456");
  EXPECT_EQ(Cell(RowOf("MSL"), 2), "-12.35");
}

TEST_F(DlgPtTransformTest, StatusColumnHeadersAndReferencesInFactoryOrder) {
  Open();
  EXPECT_EQ(m_page->GridStatus()->text(), "Grid file: demo.MRGGrid");  // without its folder
  QTableWidget* list = m_page->ResultsList();
  ASSERT_EQ(list->columnCount(), 3);
  EXPECT_EQ(list->horizontalHeaderItem(0)->text(), "Vertical reference");
  EXPECT_EQ(list->horizontalHeaderItem(1)->text(), "Ellipsoid (GDA94/WGS84)(m)");
  EXPECT_EQ(list->horizontalHeaderItem(2)->text(), "Height/Depth (m)");
  // Not sorted: the factory's order, MHHW before MHWS, the ellipsoid last.
  QComboBox* from = m_page->FromCombo();
  ASSERT_EQ(from->count(), 16);
  EXPECT_EQ(from->itemText(0), "HAT");
  EXPECT_EQ(from->itemText(1), "MHHW");
  EXPECT_EQ(from->itemText(14), kEllipsoid);
  EXPECT_EQ(from->itemText(15), kGda2020);
}

TEST_F(DlgPtTransformTest, WithoutGridTheStatusWarnsAndEveryValidInputIsOutside) {
  CGridInt empty;
  Open(&empty);
  EXPECT_EQ(m_page->GridStatus()->text(), "WARNING, no grid file loaded ");
  Type("-35", "145", "2");
  EXPECT_EQ(Messages(), (std::vector<QString>{"", "", "", kOutside}));
  EXPECT_EQ(m_page->ResultsList()->rowCount(), 0);
  EXPECT_TRUE(View().HasMarker());
  EXPECT_FALSE(View().IsMarkerInside());
}

TEST_F(DlgPtTransformTest, MapDotFollowsEachRecomputation) {
  Open();
  ASSERT_NE(m_page->Map(), nullptr);
  EXPECT_FALSE(View().HasMarker());

  Type("-35.5", "146.25", "3");
  ASSERT_TRUE(View().HasMarker());
  EXPECT_TRUE(View().IsMarkerInside());
  EXPECT_FLOAT_EQ(View().GetMarker().m_y, -35.5f);
  EXPECT_FLOAT_EQ(View().GetMarker().m_x, 146.25f);

  Type("-20", "146.25", "3");  // valid, outside the grid
  ASSERT_TRUE(View().HasMarker());
  EXPECT_FALSE(View().IsMarkerInside());
  EXPECT_FLOAT_EQ(View().GetMarker().m_y, -20.0f);

  m_page->HeightEdit()->setText("x");  // a failed check hides the dot
  EXPECT_FALSE(View().HasMarker());
  EXPECT_TRUE(m_mapMessages.empty());
}

TEST_F(DlgPtTransformTest, PositionFromTheMapWritesSixDecimalsAndRecomputesOnce) {
  Open();
  Type("-35", "145", "7.5");
  QSignalSpy spy(m_page.get(), &CDlgPtTransform::ResultsUpdated);
  m_page->SetPosition(-36.12345678, 147.5);
  EXPECT_EQ(spy.count(), 1);
  EXPECT_EQ(m_page->LatitudeEdit()->text(), "-36.123457");
  EXPECT_EQ(m_page->LongitudeEdit()->text(), "147.500000");
  EXPECT_EQ(m_page->HeightEdit()->text(), "7.5");
  EXPECT_EQ(m_page->ResultsList()->rowCount(), 16);
  EXPECT_TRUE(View().IsMarkerInside());

  // A double right click on the map comes the same way, as latitude then longitude.
  CDlgMap* map = m_page->Map();
  map->resize(600, 400);
  QApplication::processEvents();
  const QPoint centre = map->DrawRect().center();
  QMouseEvent click(QEvent::MouseButtonDblClick, centre, map->mapToGlobal(centre), Qt::RightButton, Qt::RightButton,
                    Qt::NoModifier);
  QApplication::sendEvent(map, &click);
  EXPECT_EQ(spy.count(), 2);
  const double lat = m_page->LatitudeEdit()->text().toDouble();
  const double lon = m_page->LongitudeEdit()->text().toDouble();
  EXPECT_NEAR(lat, -35, 1.0);
  EXPECT_NEAR(lon, 145, 1.0);
  EXPECT_EQ(m_page->LatitudeEdit()->text(), QString::asprintf("%.6f", lat));
  EXPECT_EQ(m_page->HeightEdit()->text(), "7.5");
  EXPECT_TRUE(View().HasMarker());
  EXPECT_TRUE(View().IsMarkerInside());
}

// Under a comma-decimal locale (LANG=de_DE.UTF-8) typed numbers and a position from the
// map still read with a decimal point: the same rows, the dot in the same place.
TEST_F(DlgPtTransformTest, CommaLocaleReadsTheNumbersAsTheCLocaleDoes) {
  const CScopedLocale comma(kCommaLocale);
  Open();
  ChooseFrom("MSL");
  Type("-35.2", "145.7", "1.234");
  ASSERT_EQ(m_page->ResultsCaption()->text(), "Transformation results:");
  EXPECT_EQ(Cell(RowOf("MSL"), 2), "1.23");
  EXPECT_EQ(Cell(RowOf(kEllipsoid), 2), "0.98");
  EXPECT_EQ(Cell(RowOf("HAT"), 2), "-0.27");
  EXPECT_FLOAT_EQ(View().GetMarker().m_y, -35.2f);
  EXPECT_FLOAT_EQ(View().GetMarker().m_x, 145.7f);

  m_page->SetPosition(-36.12345678, 147.5);
  EXPECT_EQ(m_page->LatitudeEdit()->text(), "-36.123457");
  EXPECT_FLOAT_EQ(View().GetMarker().m_y, -36.123457f);
  EXPECT_FLOAT_EQ(View().GetMarker().m_x, 147.5f);
}

TEST_F(DlgPtTransformTest, InputsAndColumnWidthsSurviveThroughTheProfile) {
  Open();
  // Fresh profile: the first reference, empty inputs, the list's width shared by the
  // columns as by thirds, each wide enough for its header.
  EXPECT_EQ(m_page->FromCombo()->currentText(), "HAT");
  EXPECT_EQ(m_page->LatitudeEdit()->text(), "");
  const int third = m_page->ResultsList()->width() / 3 - 1;
  int total = 0;
  for (int column = 0; column < 3; ++column) {
    total += m_page->ResultsList()->columnWidth(column);
    EXPECT_GE(m_page->ResultsList()->columnWidth(column),
              m_page->ResultsList()->horizontalHeader()->sectionSizeHint(column));
  }
  EXPECT_EQ(total, 3 * third);
  const int first = m_page->ResultsList()->columnWidth(0), last = m_page->ResultsList()->columnWidth(2);

  ChooseFrom("MHW");
  Type("-35.25", "145.5", "4.2");
  m_page->ResultsList()->setColumnWidth(1, 123);
  m_page.reset();
  EXPECT_EQ(m_profile.GetString("Point Transform", "From", "?"), "MHW");
  EXPECT_EQ(m_profile.GetString("Point Transform", "Lat", "?"), "-35.25");
  EXPECT_EQ(m_profile.GetString("Point Transform", "Lon", "?"), "145.5");
  EXPECT_EQ(m_profile.GetString("Point Transform", "Ht", "?"), "4.2");
  EXPECT_EQ(m_profile.GetInt("Point Transform", "Col 1", -9), first);
  EXPECT_EQ(m_profile.GetInt("Point Transform", "Col 2", -9), 123);
  EXPECT_EQ(m_profile.GetInt("Point Transform", "Col 3", -9), last);

  Open();
  EXPECT_EQ(m_page->FromCombo()->currentText(), "MHW");
  EXPECT_EQ(m_page->LatitudeEdit()->text(), "-35.25");
  EXPECT_EQ(m_page->LongitudeEdit()->text(), "145.5");
  EXPECT_EQ(m_page->HeightEdit()->text(), "4.2");
  EXPECT_EQ(m_page->ResultsList()->columnWidth(1), 123);
  // The restored inputs are computed at once, from the restored reference.
  ASSERT_EQ(m_page->ResultsList()->rowCount(), 16);
  EXPECT_EQ(Cell(RowOf("MHW"), 2), "4.20");
}

TEST(DlgPtTransformColumns, ThirdsWhileTheTextsFitElseEachWhatItNeedsAndAShare) {
  using Widths = CDlgPtTransform::ColumnWidths;
  EXPECT_EQ(CDlgPtTransform::ShareColumnWidths(510, Widths{100, 169, 60}), (Widths{169, 169, 169}));
  // The ellipsoid header needs more: 507 shared, 38 spare after the needs.
  EXPECT_EQ(CDlgPtTransform::ShareColumnWidths(510, Widths{160, 199, 110}), (Widths{173, 212, 122}));
  // More than the list holds: what they need, and the list scrolls.
  EXPECT_EQ(CDlgPtTransform::ShareColumnWidths(300, Widths{159, 199, 110}), (Widths{159, 199, 110}));
}

TEST_F(DlgPtTransformTest, UnknownStoredReferenceSelectsTheFirst) {
  m_profile.WriteString("Point Transform", "From", "Mean Sea Level");
  m_profile.WriteInt("Point Transform", "Col 1", -40);  // damaged: no negative width
  Open();
  EXPECT_EQ(m_page->FromCombo()->currentText(), "HAT");
  EXPECT_EQ(m_page->ResultsList()->columnWidth(0), 0);
  Type("-35", "145", "1");
  EXPECT_EQ(Cell(RowOf("HAT"), 2), "1.00");
}

TEST_F(DlgPtTransformTest, WithoutAProfileThePageStillWorks) {
  CScopedProfile none(nullptr);
  Open();
  Type("-35", "145", "1");
  EXPECT_EQ(m_page->ResultsList()->rowCount(), 16);
  m_page.reset();  // writes nothing, and does not fail
  EXPECT_FALSE(m_profile.Has("Point Transform", "From"));
}

TEST_F(DlgPtTransformTest, CoastMapLivesExactlyAsLongAsThePage) {
  Open();
  QPointer<CDlgMap> map = m_page->Map();
  ASSERT_FALSE(map.isNull());
  EXPECT_TRUE(map->isVisible());
  EXPECT_TRUE(m_mapMessages.empty());
  m_page.reset();
  EXPECT_TRUE(map.isNull());
  // The map stored its placement as it went.
  EXPECT_TRUE(m_profile.Has("CDlgMap", "Wnd Left"));
}

TEST_F(DlgPtTransformTest, MissingCoastDataLeavesAWorkingPageWithoutMap) {
  std::filesystem::remove(m_dir.File(CMapData::kFileName));
  Open();
  EXPECT_EQ(m_page->Map(), nullptr);
  EXPECT_EQ(m_mapMessages, std::vector<QString>{"Cannot load coast map data"});
  Type("-35", "145", "1");
  EXPECT_EQ(m_page->ResultsList()->rowCount(), 16);
  Type("-20", "145", "1");
  EXPECT_EQ(m_page->ResultsCaption()->text(), kOutside);
  m_page->SetPosition(-36, 146);  // no map, still a position
  EXPECT_EQ(m_page->ResultsList()->rowCount(), 16);
  EXPECT_EQ(m_mapMessages.size(), 1u);
}

}  // namespace
