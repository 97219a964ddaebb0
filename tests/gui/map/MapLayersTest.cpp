#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <cstdlib>

#include "core/common/PathUtil.h"
#include "core/common/Profile.h"
#include "core/map/CoastFileWriter.h"
#include "core/map/LayerTestGrid.h"
#include "core/map/MapData.h"
#include "core/map/MapOwner.h"
#include "gui/map/DlgMap.h"
#include "gui/map/MapLayersMenu.h"
#include "support/ClassWideValues.h"
#include "support/TestSupport.h"

namespace {

const QColor kSea(194, 222, 242);
const QColor kLand(190, 180, 160);
const QColor kScaleLow(68, 1, 84);        // viridis at its low end
const QColor kScaleMiddle(34, 144, 140);  // and halfway
const QColor kScaleHigh(253, 231, 37);    // and at its high end
const char* const kSection = CDlgMap::kPlacementSection;

class CNoOwner : public CMapOwner {
 public:
  void SetPosition(double, double) override {}
};

// `over` drawn over `base`, as the translucent coverage tint is.
QColor Over(const QColor& base, const QColor& over) {
  QImage pixel(1, 1, QImage::Format_RGB32);
  pixel.fill(base);
  QPainter painter(&pixel);
  painter.fillRect(0, 0, 1, 1, over);
  painter.end();
  return pixel.pixelColor(0, 0);
}

// Colours equal but for rounding.
::testing::AssertionResult Near(const QColor& actual, const QColor& expected, int tolerance = 2) {
  if (std::abs(actual.red() - expected.red()) <= tolerance &&
      std::abs(actual.green() - expected.green()) <= tolerance &&
      std::abs(actual.blue() - expected.blue()) <= tolerance)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "colour " << qPrintable(actual.name()) << ", expected about "
                                       << qPrintable(expected.name());
}

// A square island from 140 to 150 E and 40 to 30 S, no towns; a grid from 138 to 146 E
// and 38 to 32 S in whole degrees, over sea in the west and land in the east, where AHD
// lies 0.25 m per degree east of 138 E above LAT (0 to 2 m).
class MapLayersTest : public ::testing::Test {
 protected:
  const CClassWideValues m_classWide;  // put back after the test
  void SetUp() override {
    CMapData::Release();
    SetProgramFolderOverride(m_dir.Path().string());
    WriteFileBytes(
        m_dir.File(CMapData::kFileName),
        CCoastFileWriter().Header().Int32(1).Line({{140, -40}, {150, -40}, {150, -30}, {140, -30}}).Int32(0).Bytes());
    CLayerTestGrid{-38, 138, 1, 7, 9, 0.25}.Build(m_grid);
  }
  void TearDown() override {
    m_map.reset();
    SetProgramFolderOverride("");
    CMapData::Release();
  }
  void Open() {
    m_map = std::make_unique<CDlgMap>(&m_owner, &m_grid);
    m_map->SetMessageHook([](const QString& text) { ADD_FAILURE() << qPrintable(text); });
    ASSERT_TRUE(m_map->ShowCoastMap());
    m_map->resize(600, 400);
    QApplication::processEvents();
    m_map->Fit();
  }
  QImage Render() {
    QImage image(m_map->size(), QImage::Format_RGB32);
    QPainter painter(&image);
    m_map->PaintScene(painter);
    return image;
  }
  QPoint Pixel(float lon, float lat) const {
    const CPixelPt p = m_map->View().MapToClient(CMapPt(lon, lat));
    return QPoint(p.x, p.y);
  }
  void MoveTo(const QPoint& pt) {
    QMouseEvent event(QEvent::MouseMove, pt, m_map->mapToGlobal(pt), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(m_map.get(), &event);
  }

  CMemoryProfile m_profile;
  CScopedProfile m_scopedProfile{&m_profile};
  CScratchDir m_dir;
  CGridInt m_grid;
  CNoOwner m_owner;
  std::unique_ptr<CDlgMap> m_map;
};

TEST_F(MapLayersTest, LayersAreOffAtFirstStartAndTheProfileKeepsTheMenusChoices) {
  Open();
  CMapLayersMenu* menu = m_map->LayersMenu();
  EXPECT_FALSE(menu->CoverageAction()->isChecked());
  EXPECT_FALSE(menu->SeparationAction()->isChecked());
  EXPECT_TRUE(menu->FromAction("LAT")->isChecked());
  EXPECT_TRUE(menu->ToAction("AHD")->isChecked());
  EXPECT_EQ(menu->SaveAction()->text(), "Save map as PNG...");
  m_map.reset();
  EXPECT_EQ(m_profile.GetInt(kSection, "Grid coverage", -1), 0);
  EXPECT_EQ(m_profile.GetInt(kSection, "Separation", -1), 0);
  EXPECT_EQ(m_profile.GetString(kSection, "Separation from", ""), "LAT");
  EXPECT_EQ(m_profile.GetString(kSection, "Separation to", ""), "AHD");

  // Names are matched ignoring case; one that is no reference's keeps the choice.
  m_profile.WriteInt(kSection, "Grid coverage", 1);
  m_profile.WriteString(kSection, "Separation from", "mhw");
  m_profile.WriteString(kSection, "Separation to", "Chart datum");
  Open();
  menu = m_map->LayersMenu();
  EXPECT_TRUE(menu->CoverageAction()->isChecked());
  EXPECT_TRUE(menu->FromAction("MHW")->isChecked());
  EXPECT_TRUE(menu->ToAction("AHD")->isChecked());
  menu->CoverageAction()->trigger();
  menu->SeparationAction()->trigger();
  menu->FromAction("HAT")->trigger();
  menu->ToAction("Ellipsoid (GDA94/WGS84)")->trigger();
  EXPECT_FALSE(m_map->Layers().IsCoverageOn());
  EXPECT_TRUE(m_map->Layers().IsSeparationOn());
  m_map.reset();
  EXPECT_EQ(m_profile.GetInt(kSection, "Grid coverage", -1), 0);
  EXPECT_EQ(m_profile.GetInt(kSection, "Separation", -1), 1);
  EXPECT_EQ(m_profile.GetString(kSection, "Separation from", ""), "HAT");
  EXPECT_EQ(m_profile.GetString(kSection, "Separation to", ""), "Ellipsoid (GDA94/WGS84)");
}

TEST_F(MapLayersTest, CoverageTintsCoveredSeaAndLandAndOutlinesThem) {
  m_profile.WriteInt(kSection, "Grid coverage", 1);
  Open();
  const QImage image = Render();
  EXPECT_TRUE(Near(image.pixelColor(Pixel(139, -35)), Over(kSea, CMapLayers::kCoverageFill)));
  const QColor coveredLand = Over(kLand, CMapLayers::kCoverageFill);
  EXPECT_TRUE(Near(image.pixelColor(Pixel(143, -35)), coveredLand));
  EXPECT_EQ(image.pixelColor(Pixel(148, -35)), kLand);  // outside the grid
  EXPECT_EQ(image.pixelColor(Pixel(139, -39)), kSea);
  // Eastward from a node inside, the first pixel not covered is the outline.
  QPoint pt = Pixel(143, -35);
  while (Near(image.pixelColor(pt), coveredLand)) pt.rx()++;
  EXPECT_EQ(image.pixelColor(pt), CMapLayers::kCoverageEdge);
  EXPECT_GT(pt.x(), Pixel(146, -35).x() - 2);
  EXPECT_LT(pt.x(), Pixel(146, -35).x() + 2);
}

TEST_F(MapLayersTest, SeparationColoursSpanTheScaleOverTheRangeOnScreen) {
  m_profile.WriteInt(kSection, "Separation", 1);
  Open();
  QImage image = Render();
  ASSERT_TRUE(m_map->Layers().HasRange());
  EXPECT_NEAR(m_map->Layers().RangeMin(), 0.0, 0.02);  // the grid's west edge
  EXPECT_NEAR(m_map->Layers().RangeMax(), 2.0, 0.02);  // and its east edge
  EXPECT_TRUE(Near(image.pixelColor(Pixel(142, -35)), kScaleMiddle, 4));
  // The first and last covered pixels of a row take the ends of the scale.
  QPoint west = Pixel(137.9f, -35);
  while (image.pixelColor(west) == kSea) west.rx()++;
  EXPECT_EQ(image.pixelColor(west), kScaleLow);
  QPoint east = Pixel(146.1f, -35);
  while (image.pixelColor(east) == kLand) east.rx()--;
  EXPECT_EQ(image.pixelColor(east), kScaleHigh);
  EXPECT_EQ(image.pixelColor(Pixel(148, -35)), kLand);

  // Zoomed in on the east of the grid, the range is what remains on screen.
  for (int step = 0; step < 4; ++step) m_map->ZoomIn();
  image = Render();
  CMapPt left;
  ASSERT_TRUE(m_map->View().ClientToMap(CPixelPt{m_map->DrawRect().left(), m_map->DrawRect().top()}, left));
  ASSERT_GT(left.m_x, 140);
  EXPECT_NEAR(m_map->Layers().RangeMin(), 0.25 * (left.m_x - 138), 0.02);
  EXPECT_NEAR(m_map->Layers().RangeMax(), 2.0, 0.02);
  EXPECT_EQ(image.pixelColor(m_map->DrawRect().left(), Pixel(142, -35).y()), kScaleLow);
}

TEST_F(MapLayersTest, TheLineBelowThePositionGivesTheSeparationUnderTheCursorWhileItsLayerIsOn) {
  Open();
  const QPoint node = Pixel(142, -35);
  MoveTo(node);
  CMapPt p;
  ASSERT_TRUE(m_map->View().ClientToMap(CPixelPt{node.x(), node.y()}, p));
  EXPECT_EQ(m_map->PositionText(), QString::asprintf("Lat, Lon: %.6f, %.6f", p.m_y, p.m_x));
  EXPECT_EQ(m_map->SeparationStatusText(), "");  // the hint is there instead

  m_map->LayersMenu()->SeparationAction()->trigger();
  MoveTo(node);
  // What the point page shows there: AHD's height above LAT.
  CDataPt point;
  ASSERT_TRUE(m_grid.Interpolate(p.m_y, p.m_x, point));
  const double separation = point.GetValue(CLayerTestGrid::kAHD) - point.GetValue(CLayerTestGrid::kLAT);
  EXPECT_EQ(m_map->SeparationStatusText(), QString::asprintf("AHD above LAT: %.2f m", separation));
  EXPECT_EQ(m_map->PositionText(), QString::asprintf("Lat, Lon: %.6f, %.6f", p.m_y, p.m_x));
  // The ellipsoid's long name is cut short on the line, in full in its tooltip.
  m_map->LayersMenu()->ToAction("Ellipsoid (GDA94/WGS84)")->trigger();
  MoveTo(node);
  EXPECT_EQ(m_map->SeparationStatusText(), "Ellipsoid above LAT: 20.00 m");
  EXPECT_EQ(m_map->SeparationStatusToolTip(), "Ellipsoid (GDA94/WGS84) above LAT: 20.00 m");
  MoveTo(Pixel(148, -35));  // outside the grid: the hint again
  EXPECT_EQ(m_map->SeparationStatusText(), "");
}

// At the window's first size the legend keeps its width whatever the references, and
// its tooltip names them in full.
TEST_F(MapLayersTest, TheLegendHasAFixedWidthAndATooltipInFull) {
  m_profile.WriteInt(kSection, "Separation", 1);
  m_profile.WriteInt(kSection, "Grid coverage", 1);
  Open();
  Render();
  const int width = m_map->LegendBox().width();
  EXPECT_GT(width, 0);
  EXPECT_LT(width, 160);
  m_map->LayersMenu()->FromAction("MHWS")->trigger();
  m_map->LayersMenu()->ToAction("Ellipsoid (GDA94/WGS84)")->trigger();
  Render();
  EXPECT_EQ(m_map->LegendBox().width(), width);
  EXPECT_TRUE(m_map->Layers().LegendToolTip().startsWith("Ellipsoid (GDA94/WGS84) above MHWS (m)\nOn screen from "));
  EXPECT_TRUE(m_map->Layers().LegendToolTip().endsWith("\nGrid coverage: where a transformation is possible"));
}

// Separations on screen that differ by less than the grid's code step (1 cm) would
// otherwise stretch over the whole colour scale; the range is widened about its middle.
TEST_F(MapLayersTest, TheColourRangeIsAtLeastOneCodeStepWide) {
  CLayerTestGrid{-38, 138, 1, 7, 9, 0.01}.Build(m_grid);  // 1 cm per degree eastward
  m_profile.WriteInt(kSection, "Separation", 1);
  Open();
  for (int step = 0; step < 8; ++step) m_map->ZoomIn();  // less than a degree wide
  const QImage image = Render();
  EXPECT_NEAR(m_map->Layers().RangeMax() - m_map->Layers().RangeMin(), 0.01, 1e-6);
  const double middle = 0.01 * (m_map->View().ViewRect().Centre().m_x - 138);
  EXPECT_NEAR(m_map->Layers().RangeMin() + m_map->Layers().RangeMax(), 2 * middle, 1e-4);
  // Neither end of the row on screen reaches an end of the scale.
  const int y = m_map->DrawRect().center().y();
  EXPECT_NE(image.pixelColor(m_map->DrawRect().left(), y), kScaleLow);
  EXPECT_NE(image.pixelColor(m_map->DrawRect().right(), y), kScaleHigh);
}

TEST_F(MapLayersTest, SaveMapAsPngWritesTheDrawingAreaWithItsLegend) {
  m_profile.WriteInt(kSection, "Grid coverage", 1);
  m_profile.WriteInt(kSection, "Separation", 1);
  Open();
  const std::string path = m_dir.File("map.png");
  ASSERT_TRUE(m_map->SaveMapImage(QString::fromStdString(path)));
  const QImage saved = QImage(QString::fromStdString(path)).convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(saved, Render().copy(m_map->DrawRect()));
  // The legend's frame sits in the lower-left corner.
  bool framed = false;
  for (int y = saved.height() - 150; y < saved.height(); ++y)
    for (int x = 0; x < 150; ++x) framed = framed || saved.pixelColor(x, y) == QColor(96, 96, 96);
  EXPECT_TRUE(framed);
  EXPECT_FALSE(m_map->SaveMapImage(QString::fromStdString(m_dir.File("no such folder/map.png"))));
}

TEST_F(MapLayersTest, SaveMapAsProposesANameAndSaysWhereItWrote) {
  m_profile.WriteInt(kSection, "Separation", 1);
  Open();
  std::vector<QString> messages, proposed;
  m_map->SetMessageHook([&](const QString& text) { messages.push_back(text); });
  const QString chosen = QString::fromStdString(m_dir.File("chart"));
  m_map->SetSaveNameHook([&](const QString& name) {
    proposed.push_back(name);
    return chosen;
  });
  m_map->SaveMapAs();
  ASSERT_EQ(proposed.size(), 1u);
  EXPECT_TRUE(proposed[0].endsWith("/Coast map AHD above LAT.png")) << qPrintable(proposed[0]);
  EXPECT_EQ(messages, std::vector<QString>{"The map was saved as:\n" + chosen + ".png"});
  EXPECT_FALSE(QImage(chosen + ".png").isNull());
  // The next proposal is in the folder saved to.
  m_map->SaveMapAs();
  EXPECT_EQ(proposed[1], QString::fromStdString(m_dir.File("Coast map AHD above LAT.png")));
}

}  // namespace
