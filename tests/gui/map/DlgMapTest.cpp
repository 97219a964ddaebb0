#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <vector>

#include "core/common/PathUtil.h"
#include "core/common/Profile.h"
#include "core/grid/GridInt.h"
#include "core/map/CoastFileWriter.h"
#include "core/map/MapData.h"
#include "core/map/MapOwner.h"
#include "gui/map/DlgMap.h"
#include "support/TestLattice.h"
#include "support/TestSupport.h"

namespace {

class CRecordingOwner : public CMapOwner {
 public:
  void SetPosition(double latitude, double longitude) override { m_positions.push_back({latitude, longitude}); }
  std::vector<std::pair<double, double>> m_positions;
};

// A square island from 140 to 150 E and 40 to 30 S, and two towns.
std::string SmallCoast() {
  return CCoastFileWriter()
      .Header()
      .Int32(1)
      .Line({{140, -40}, {150, -40}, {150, -30}, {140, -30}})
      .Int32(2)
      .Town(u"Alpha", 145, -35)
      .Town(u"Beta", 145.01f, -35.01f)  // too close to Alpha: never drawn at this size
      .Bytes();
}

class DlgMapTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CMapData::Release();
    SetProgramFolderOverride(m_dir.Path().string());
    WriteFileBytes(m_dir.File(CMapData::kFileName), SmallCoast());
  }
  void TearDown() override {
    m_map.reset();
    SetProgramFolderOverride("");
    CMapData::Release();
  }
  // Creates and shows the map; false when ShowCoastMap refused.
  bool Open(const CGridInt* grid = nullptr) {
    m_map = std::make_unique<CDlgMap>(&m_owner, grid ? grid : &m_grid);
    m_map->SetMessageHook([this](const QString& text) { m_messages.push_back(text); });
    const bool shown = m_map->ShowCoastMap();
    if (shown) m_map->resize(600, 400);
    QApplication::processEvents();
    if (shown) m_map->Fit();  // resizing keeps the view of the first size
    return shown;
  }
  void Mouse(QEvent::Type type, QPoint pt, Qt::MouseButton button, Qt::MouseButtons buttons) {
    QMouseEvent event(type, pt, m_map->mapToGlobal(pt), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(m_map.get(), &event);
  }
  void Wheel(QPoint pt, int delta) {
    QWheelEvent event(pt, m_map->mapToGlobal(pt), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(m_map.get(), &event);
  }
  QPoint DrawCentre() const { return m_map->DrawRect().center(); }
  // The fitted scale for the map's current drawing area, computed apart from the window.
  double FittedScale() const {
    CMapView view;
    view.SetDrawRect(m_map->View().GetDrawRect());
    view.SetDataRect(m_map->View().GetDataRect());
    view.Fit();
    return view.GetScale();
  }
  QImage Render() {
    QImage image(m_map->size(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    m_map->PaintScene(painter);
    return image;
  }

  CScratchDir m_dir;
  CGridInt m_grid;
  CRecordingOwner m_owner;
  std::unique_ptr<CDlgMap> m_map;
  std::vector<QString> m_messages;
};

TEST_F(DlgMapTest, OpensFittedBelowTheButtonsAndResizingKeepsTheView) {
  ASSERT_TRUE(Open());
  EXPECT_EQ(m_map->windowTitle(), "Coast Map");
  EXPECT_FALSE(m_map->windowFlags() & Qt::WindowCloseButtonHint);
  const QRect draw = m_map->DrawRect();
  EXPECT_EQ(draw.left(), 5);
  EXPECT_EQ(draw.right() + 1, 600 - 5);
  EXPECT_EQ(draw.bottom() + 1, 400 - 5);
  EXPECT_GT(draw.top(), 5 + 5);  // below the buttons
  EXPECT_DOUBLE_EQ(m_map->View().GetScale(), FittedScale());
  // The padded coast extent without a grid: 10 degrees plus half a degree each side.
  EXPECT_FLOAT_EQ(m_map->View().GetDataRect().m_min.m_x, 139.5f);
  EXPECT_FLOAT_EQ(m_map->View().GetDataRect().m_max.m_y, -29.5f);

  m_map->ZoomIn();
  const double scale = m_map->View().GetScale();
  const CMapPt centre = m_map->View().ViewRect().Centre();
  m_map->resize(700, 500);
  QApplication::processEvents();
  EXPECT_DOUBLE_EQ(m_map->View().GetScale(), scale);
  EXPECT_NEAR(m_map->View().ViewRect().Centre().m_x, centre.m_x, 1e-4);
  EXPECT_NEAR(m_map->View().ViewRect().Centre().m_y, centre.m_y, 1e-4);
  // Where the kept view would pass the zoom-out limit, the extent is fitted, quietly.
  m_map->Fit();
  m_map->resize(1400, 1000);
  QApplication::processEvents();
  EXPECT_DOUBLE_EQ(m_map->View().GetScale(), FittedScale());
  EXPECT_TRUE(m_messages.empty());
}

TEST_F(DlgMapTest, ZoomButtonsBringThePositionUnderTheCursorUpToDate) {
  ASSERT_TRUE(Open());
  const QPoint at = DrawCentre() + QPoint(60, 40);
  QCursor::setPos(m_map->mapToGlobal(at));
  Mouse(QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton);
  const QString before = m_map->PositionText();
  m_map->ZoomIn();  // as its button does, the cursor staying where it was
  CMapPt p;
  ASSERT_TRUE(m_map->View().ClientToMap(CPixelPt{at.x(), at.y()}, p));
  EXPECT_EQ(m_map->PositionText(), QString::asprintf("Lat, Lon: %.6f, %.6f", p.m_y, p.m_x));
  EXPECT_NE(m_map->PositionText(), before);
  // With the cursor on a button, outside the drawing area, there is no position.
  QCursor::setPos(m_map->mapToGlobal(QPoint(2, 2)));
  m_map->ZoomOut();
  EXPECT_TRUE(m_map->PositionText().isEmpty());
}

TEST_F(DlgMapTest, FirstOpeningGoesBesideTheMainWindowThenThePlacementComesBack) {
  CMemoryProfile profile;
  CScopedProfile scopedProfile(&profile);
  QWidget mainWindow;
  mainWindow.setGeometry(10, 10, 200, 300);  // the map fits to its right
  QWidget page(&mainWindow);
  mainWindow.show();
  auto open = [&] {
    m_map = std::make_unique<CDlgMap>(&m_owner, &m_grid, &page);
    m_map->SetMessageHook([this](const QString& text) { m_messages.push_back(text); });
    return m_map->ShowCoastMap();
  };
  EXPECT_TRUE(open());
  const QRect beside = mainWindow.frameGeometry();
  EXPECT_EQ(m_map->frameGeometry().topLeft(), QPoint(beside.right() + 1, beside.top()));

  m_map->move(20, 30);
  m_map.reset();  // stores its placement
  EXPECT_TRUE(open());
  EXPECT_EQ(m_map->frameGeometry().topLeft(), QPoint(20, 30));
  m_map.reset();  // before the page it belongs to
}

TEST_F(DlgMapTest, MissingOrEmptyCoastDataGivesNoMapAndOneMessage) {
  WriteFileBytes(m_dir.File(CMapData::kFileName), CCoastFileWriter().Header().Int32(0).Int32(0).Bytes());
  EXPECT_FALSE(Open());
  EXPECT_EQ(m_messages, std::vector<QString>{"Cannot load coast map data"});
  EXPECT_EQ(CMapData::Instance().GetLineCount(), 0u);
  WriteFileBytes(m_dir.File(CMapData::kFileName), SmallCoast());
  EXPECT_TRUE(Open());  // the next opening tries the file again
}

TEST_F(DlgMapTest, WheelZoomsOnlyOverTheDrawingArea) {
  ASSERT_TRUE(Open());
  const double fitted = m_map->View().GetScale();
  m_map->setFocus();
  Wheel(QPoint(2, 2), 120);
  Wheel(QPoint(m_map->DrawRect().right() + 1, DrawCentre().y()), 120);
  EXPECT_DOUBLE_EQ(m_map->View().GetScale(), fitted);
  Wheel(DrawCentre(), 120);
  EXPECT_DOUBLE_EQ(m_map->View().GetScale(), fitted * 1.5);
}

TEST_F(DlgMapTest, HighResolutionWheelZoomsOneStepPerNotch) {
  ASSERT_TRUE(Open());
  const double fitted = m_map->View().GetScale();
  for (int i = 0; i < 7; ++i) Wheel(DrawCentre(), 15);
  EXPECT_DOUBLE_EQ(m_map->View().GetScale(), fitted);
  Wheel(DrawCentre(), 15);
  EXPECT_DOUBLE_EQ(m_map->View().GetScale(), fitted * 1.5);
  Wheel(DrawCentre(), 240);  // two notches at once
  EXPECT_DOUBLE_EQ(m_map->View().GetScale(), fitted * 1.5 * 1.5 * 1.5);
  Wheel(DrawCentre(), 0);  // no movement: no step (it used to zoom out)
  Wheel(DrawCentre(), -60);
  EXPECT_DOUBLE_EQ(m_map->View().GetScale(), fitted * 1.5 * 1.5 * 1.5);
  Wheel(DrawCentre(), -60);
  EXPECT_DOUBLE_EQ(m_map->View().GetScale(), fitted * 1.5 * 1.5);
  // Far past the zoom-in limit: steps stop at the limit with one message.
  Wheel(DrawCentre(), 120 * 40);
  EXPECT_EQ(m_messages, std::vector<QString>{"Limit of zoom reached"});
}

TEST_F(DlgMapTest, DoubleRightClickHandsThePositionToTheOwner) {
  ASSERT_TRUE(Open());
  const QPoint pt = DrawCentre();
  CMapPt expected;
  ASSERT_TRUE(m_map->View().ClientToMap(CPixelPt{pt.x(), pt.y()}, expected));
  Mouse(QEvent::MouseButtonDblClick, pt, Qt::RightButton, Qt::RightButton);
  Mouse(QEvent::MouseButtonDblClick, QPoint(2, 2), Qt::RightButton, Qt::RightButton);  // outside: nothing
  Mouse(QEvent::MouseButtonDblClick, pt, Qt::LeftButton, Qt::LeftButton);              // left: nothing
  ASSERT_EQ(m_owner.m_positions.size(), 1u);
  EXPECT_FLOAT_EQ(static_cast<float>(m_owner.m_positions[0].first), expected.m_y);  // latitude first
  EXPECT_FLOAT_EQ(static_cast<float>(m_owner.m_positions[0].second), expected.m_x);
}

TEST_F(DlgMapTest, StatusShowsThePositionAndWhetherTheGridCoversIt) {
  // One grid cell from 140 to 150 E and 40 to 30 S with all four corners.
  CGridInt grid;
  FillUniform(grid, -40, 140, 10, 2, 2, CDataPt());
  ASSERT_TRUE(grid.IsLoaded());
  ASSERT_TRUE(Open(&grid));

  const QPoint centre = DrawCentre();
  Mouse(QEvent::MouseMove, centre, Qt::NoButton, Qt::NoButton);
  CMapPt p;
  ASSERT_TRUE(m_map->View().ClientToMap(CPixelPt{centre.x(), centre.y()}, p));
  EXPECT_EQ(m_map->PositionText(), QString::asprintf("Lat, Lon: %.6f, %.6f", p.m_y, p.m_x));
  EXPECT_EQ(m_map->GridStateText(), "Inside grid");

  const QRect draw = m_map->DrawRect();
  Mouse(QEvent::MouseMove, QPoint(draw.left() + 1, draw.top() + 1), Qt::NoButton, Qt::NoButton);  // in the margin
  EXPECT_EQ(m_map->GridStateText(), "Outside grid");
  Mouse(QEvent::MouseMove, QPoint(2, 2), Qt::NoButton, Qt::NoButton);  // outside the drawing area
  EXPECT_TRUE(m_map->PositionText().isEmpty());
  EXPECT_EQ(m_map->GridStateText(), "Outside grid");  // kept
}

TEST_F(DlgMapTest, DragBeyondTheExtentStopsWithLimitOfPan) {
  ASSERT_TRUE(Open());
  const QPoint start = DrawCentre();
  const CMapPt origin = m_map->View().GetOrigin();
  Mouse(QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
  Mouse(QEvent::MouseMove, start + QPoint(20, 0), Qt::NoButton, Qt::LeftButton);
  EXPECT_LT(m_map->View().GetOrigin().m_x, origin.m_x);  // the map follows the mouse
  const CMapPt accepted = m_map->View().GetOrigin();
  Mouse(QEvent::MouseMove, start + QPoint(5000, 0), Qt::NoButton, Qt::LeftButton);
  EXPECT_EQ(m_messages, std::vector<QString>{"Limit of pan"});
  EXPECT_FLOAT_EQ(m_map->View().GetOrigin().m_x, accepted.m_x);
  Mouse(QEvent::MouseMove, start + QPoint(40, 0), Qt::NoButton, Qt::LeftButton);  // the drag has ended
  EXPECT_FLOAT_EQ(m_map->View().GetOrigin().m_x, accepted.m_x);
  Mouse(QEvent::MouseButtonRelease, start, Qt::LeftButton, Qt::NoButton);
}

TEST_F(DlgMapTest, PaintsSeaLandTownsAndTheDotInItsColour) {
  ASSERT_TRUE(Open());
  m_map->ShowMarker(true, -39, 141);  // green, inside the island
  QImage image = Render();
  const QRect draw = m_map->DrawRect();
  EXPECT_EQ(image.pixelColor(draw.topLeft()), QColor(194, 222, 242));
  EXPECT_EQ(image.pixelColor(2, 2), QColor(Qt::magenta));  // outside the drawing area: untouched
  const CPixelPt land = m_map->View().MapToClient(CMapPt(143, -37));
  EXPECT_EQ(image.pixelColor(land.x, land.y), QColor(190, 180, 160));
  const CPixelPt dot = m_map->View().MapToClient(CMapPt(141, -39));
  EXPECT_EQ(image.pixelColor(dot.x, dot.y), QColor(0, 255, 0));
  const CPixelPt alpha = m_map->View().MapToClient(CMapPt(145, -35));
  EXPECT_EQ(image.pixelColor(alpha.x, alpha.y), QColor(0, 0, 0));  // the town's dot

  m_map->HideMarker();
  image = Render();
  EXPECT_EQ(image.pixelColor(dot.x, dot.y), QColor(190, 180, 160));

  // Red outside the grid; a position outside the view re-centres it at the same scale.
  const double scale = m_map->View().GetScale();
  m_map->ShowMarker(false, -10, 170);
  EXPECT_TRUE(m_map->View().ViewRect().Contains(CMapPt(170, -10)));
  EXPECT_DOUBLE_EQ(m_map->View().GetScale(), scale);
  image = Render();
  const CPixelPt red = m_map->View().MapToClient(CMapPt(170, -10));
  EXPECT_EQ(image.pixelColor(red.x, red.y), QColor(255, 0, 0));
}

TEST_F(DlgMapTest, PaintingWithoutAViewFillsTheSeaOnly) {
  // Every point on one meridian: no longitude span, so no view.
  WriteFileBytes(
      m_dir.File(CMapData::kFileName),
      CCoastFileWriter().Header().Int32(1).Line({{145, -40}, {145, -30}}).Int32(1).Town(u"T", 145, -35).Bytes());
  ASSERT_TRUE(Open());
  ASSERT_FALSE(m_map->View().HasView());
  m_map->ShowMarker(true, -35, 145);
  m_map->ZoomIn();
  Wheel(DrawCentre(), 120);
  Mouse(QEvent::MouseMove, DrawCentre(), Qt::NoButton, Qt::NoButton);
  const QImage image = Render();
  const QRect draw = m_map->DrawRect();
  for (const QPoint& pt : {draw.topLeft(), draw.center(), draw.bottomRight()}) {
    EXPECT_EQ(image.pixelColor(pt), QColor(194, 222, 242));
  }
  m_map->repaint();
  EXPECT_EQ(m_map->SpanText(), "X span: 0 km");
  EXPECT_TRUE(m_messages.empty());
}

TEST_F(DlgMapTest, KeyboardCannotDismissAndPlacementIsStoredOnDestruction) {
  CMemoryProfile profile;
  CScopedProfile scoped(&profile);
  ASSERT_TRUE(Open());
  for (int key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(m_map.get(), &press);
  }
  m_map->close();
  EXPECT_TRUE(m_map->isVisible());
  m_map.reset();
  EXPECT_TRUE(profile.Has("CDlgMap", "Wnd Left"));
  EXPECT_TRUE(profile.Has("CDlgMap", "Wnd Bottom"));
}

}  // namespace
