#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/map/MapView.h"

namespace {

// A view whose scales and sizes are powers of two, so that every conversion is exact.
class MapViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_view.SetMessageHook([this](const std::string& text) { m_messages.push_back(text); });
    m_view.SetDrawRect(CPixelRect{0, 0, 800, 800});
    m_view.SetDataRect(CMapRect(CMapPt(0, 0), CMapPt(100, 100)));
  }

  CMapView m_view;
  std::vector<std::string> m_messages;
};

TEST_F(MapViewTest, ConversionsFollowTheOriginAtTheLowerLeftCorner) {
  m_view.SetDrawRect(CPixelRect{5, 40, 805, 640});
  ASSERT_EQ(m_view.SetView(8, CMapPt(150, -30)), EViewChange::kChanged);
  EXPECT_FLOAT_EQ(m_view.GetOrigin().m_x, 100);
  EXPECT_FLOAT_EQ(m_view.GetOrigin().m_y, -67.5f);

  const CPixelPt p = m_view.MapToClient(CMapPt(101.5f, -67));
  EXPECT_EQ(p.x, 5 + 12);
  EXPECT_EQ(p.y, 640 - 4);
  // Half a pixel rounds up on the way out.
  EXPECT_EQ(m_view.MapToClient(CMapPt(100.0625f, -67.5f)).x, 5 + 1);

  CMapPt m;
  ASSERT_TRUE(m_view.ClientToMap(CPixelPt{5, 639}, m));
  EXPECT_FLOAT_EQ(m.m_x, 100);
  EXPECT_FLOAT_EQ(m.m_y, -67.375f);
  // The right and bottom edges are outside the drawing rectangle.
  EXPECT_FALSE(m_view.ClientToMap(CPixelPt{805, 300}, m));
  EXPECT_FALSE(m_view.ClientToMap(CPixelPt{300, 640}, m));
  EXPECT_FALSE(m_view.ClientToMap(CPixelPt{4, 300}, m));

  const CMapRect v = m_view.ViewRect();
  EXPECT_FLOAT_EQ(v.m_min.m_x, 100);
  EXPECT_FLOAT_EQ(v.m_max.m_x, 200);
  EXPECT_FLOAT_EQ(v.m_max.m_y, 7.5f);
}

TEST_F(MapViewTest, EveryPixelSurvivesARoundTrip) {
  m_view.SetDrawRect(CPixelRect{5, 31, 612, 450});
  m_view.SetDataRect(CMapRect(CMapPt(104, -47), CMapPt(160, -8)));
  ASSERT_EQ(m_view.Fit(), EViewChange::kChanged);
  for (int y = 31; y < 450; y += 7) {
    for (int x = 5; x < 612; x += 3) {
      CMapPt m;
      ASSERT_TRUE(m_view.ClientToMap(CPixelPt{x, y}, m));
      const CPixelPt back = m_view.MapToClient(m);
      ASSERT_EQ(back.x, x);
      ASSERT_EQ(back.y, y);
    }
  }
}

TEST_F(MapViewTest, WithoutAViewNothingConvertsOrZooms) {
  CMapPt m;
  EXPECT_FALSE(m_view.ClientToMap(CPixelPt{10, 10}, m));
  EXPECT_EQ(m_view.SpanKm(m_view.GetOrigin(), 0), 0.0);
  EXPECT_EQ(m_view.ZoomIn(), EViewChange::kNone);
  EXPECT_EQ(m_view.ZoomOut(), EViewChange::kNone);
  EXPECT_EQ(m_view.WheelZoom(CPixelPt{10, 10}, 120), EViewChange::kNone);
  // An extent without a longitude span gives no view either.
  m_view.SetDataRect(CMapRect(CMapPt(5, 0), CMapPt(5, 9)));
  EXPECT_EQ(m_view.Fit(), EViewChange::kNone);
  EXPECT_FALSE(m_view.HasView());
  EXPECT_EQ(m_view.ShowMarker(true, -30, 150), EViewChange::kNone);
  EXPECT_TRUE(m_view.HasMarker());
  EXPECT_TRUE(m_messages.empty());
}

TEST_F(MapViewTest, FitUsesTheLongitudeSpanForBothSides) {
  m_view.SetDrawRect(CPixelRect{0, 0, 800, 400});
  m_view.SetDataRect(CMapRect(CMapPt(0, 0), CMapPt(100, 10)));
  ASSERT_EQ(m_view.Fit(), EViewChange::kChanged);
  EXPECT_DOUBLE_EQ(m_view.GetScale(), 4.0);  // min(800 / 100, 400 / 100)
  EXPECT_FLOAT_EQ(m_view.GetOrigin().m_x, -50);
  EXPECT_FLOAT_EQ(m_view.GetOrigin().m_y, -45);
}

TEST_F(MapViewTest, SpanIsMeasuredAtTheCentreLatitude) {
  // 100 degrees wide on the equator; the view's centre latitude is 0.
  EXPECT_NEAR(m_view.SpanKm(CMapPt(0, -50), 8), 100 * 111.3194908, 1e-3);
  // Centre at 60 degrees north or south: half the width.
  EXPECT_NEAR(m_view.SpanKm(CMapPt(0, 10), 8), 50 * 111.3194908, 1e-3);
  EXPECT_NEAR(m_view.SpanKm(CMapPt(0, -110), 8), 50 * 111.3194908, 1e-3);
}

TEST_F(MapViewTest, ZoomInLimitIsReachedAtASmallerScaleAwayFromTheEquator) {
  // 800 pixels spanning 0.09 degrees: about 10.02 km on the equator, 5.01 km at 60 degrees.
  const double scale = 800 / 0.09;
  m_view.SetDataRect(CMapRect(CMapPt(-1, -70), CMapPt(1, 70)));
  EXPECT_EQ(m_view.SetView(scale, CMapPt(0, 0)), EViewChange::kChanged);
  EXPECT_TRUE(m_messages.empty());

  ASSERT_EQ(m_view.SetView(4000, CMapPt(0, 60)), EViewChange::kChanged);  // 0.2 degrees, 11.1 km wide
  const CMapPt originBefore = m_view.GetOrigin();
  EXPECT_EQ(m_view.SetView(scale, CMapPt(0, 60)), EViewChange::kZoomLimit);
  EXPECT_EQ(m_view.SetView(scale, CMapPt(0, -60)), EViewChange::kZoomLimit);  // absolute latitude
  EXPECT_DOUBLE_EQ(m_view.GetScale(), 4000);                                  // refused steps leave the view alone
  EXPECT_FLOAT_EQ(m_view.GetOrigin().m_y, originBefore.m_y);
  ASSERT_EQ(m_messages.size(), 2u);  // one message per refused step
  EXPECT_EQ(m_messages[0], "Limit of zoom reached");
}

TEST_F(MapViewTest, RepeatedZoomInStopsAtTheLimitWithAMessageEachTime) {
  ASSERT_EQ(m_view.Fit(), EViewChange::kChanged);
  int refused = 0;
  for (int i = 0; i < 40; ++i) {
    if (m_view.ZoomIn() == EViewChange::kZoomLimit) ++refused;
  }
  EXPECT_GT(refused, 0);
  EXPECT_EQ(m_messages.size(), static_cast<std::size_t>(refused));
  EXPECT_GE(m_view.SpanKm(m_view.GetOrigin(), m_view.GetScale()), CMapView::kMinSpanKm);
  EXPECT_LT(m_view.SpanKm(m_view.GetOrigin(), m_view.GetScale() * 1.5), CMapView::kMinSpanKm);
}

TEST_F(MapViewTest, ZoomOutSnapsBackOnlyWhenBothWiderAndTaller) {
  // Extent 10 degrees wide: the limit is a view of more than 12 degrees each way.
  m_view.SetDataRect(CMapRect(CMapPt(0, 0), CMapPt(10, 40)));
  m_view.SetDrawRect(CPixelRect{0, 0, 800, 200});
  EXPECT_EQ(m_view.SetView(50, CMapPt(5, 20)), EViewChange::kChanged);  // 16 wide, 4 tall
  m_view.SetDrawRect(CPixelRect{0, 0, 200, 800});
  EXPECT_EQ(m_view.SetView(50, CMapPt(5, 20)), EViewChange::kChanged);  // 4 wide, 16 tall
  EXPECT_TRUE(m_messages.empty());

  EXPECT_EQ(m_view.SetView(10, CMapPt(5, 20)), EViewChange::kZoomLimitFitted);  // 20 by 80
  EXPECT_EQ(m_messages, std::vector<std::string>{"Limit of zoom reached"});
  EXPECT_DOUBLE_EQ(m_view.GetScale(), 20.0);  // fitted: min(200, 800) / 10
  EXPECT_FLOAT_EQ(m_view.GetOrigin().m_x, 0);
}

TEST_F(MapViewTest, PanMayKeepATouchingEdgeButNotOnePixelMore) {
  ASSERT_EQ(m_view.SetView(8, CMapPt(50, 50)), EViewChange::kChanged);  // the view is the extent
  ASSERT_TRUE(m_view.BeginDrag(CPixelPt{0, 400}));
  // 800 pixels to the right: the view's east edge lies on the extent's west edge.
  EXPECT_EQ(m_view.DragTo(CPixelPt{800, 400}), EViewChange::kChanged);
  EXPECT_FLOAT_EQ(m_view.GetOrigin().m_x, -100);
  EXPECT_TRUE(m_messages.empty());

  EXPECT_EQ(m_view.DragTo(CPixelPt{801, 400}), EViewChange::kPanLimit);
  EXPECT_EQ(m_messages, std::vector<std::string>{"Limit of pan"});
  EXPECT_FLOAT_EQ(m_view.GetOrigin().m_x, -100);  // the last accepted view stays
  EXPECT_FALSE(m_view.IsDragging());
  EXPECT_EQ(m_view.DragTo(CPixelPt{400, 400}), EViewChange::kNone);  // the drag has ended
}

TEST_F(MapViewTest, PanFollowsTheMouseVertically) {
  ASSERT_EQ(m_view.SetView(8, CMapPt(50, 50)), EViewChange::kChanged);
  EXPECT_FALSE(m_view.BeginDrag(CPixelPt{800, 10}));  // outside the drawing rectangle
  ASSERT_TRUE(m_view.BeginDrag(CPixelPt{10, 10}));
  // Dragging down shows what lies further north.
  EXPECT_EQ(m_view.DragTo(CPixelPt{10, 90}), EViewChange::kChanged);
  EXPECT_FLOAT_EQ(m_view.GetOrigin().m_y, 10);
  m_view.EndDrag();
  EXPECT_EQ(m_view.DragTo(CPixelPt{10, 200}), EViewChange::kNone);
}

TEST_F(MapViewTest, WheelZoomKeepsThePositionUnderTheCursor) {
  ASSERT_EQ(m_view.SetView(8, CMapPt(50, 50)), EViewChange::kChanged);
  CMapPt before;
  ASSERT_TRUE(m_view.ClientToMap(CPixelPt{200, 600}, before));
  EXPECT_EQ(m_view.WheelZoom(CPixelPt{200, 600}, 120), EViewChange::kChanged);
  EXPECT_DOUBLE_EQ(m_view.GetScale(), 12);
  CMapPt after;
  ASSERT_TRUE(m_view.ClientToMap(CPixelPt{200, 600}, after));
  EXPECT_NEAR(after.m_x, before.m_x, 1.0 / 12);
  EXPECT_NEAR(after.m_y, before.m_y, 1.0 / 12);

  // A delta of 0 zooms out; outside the drawing rectangle nothing happens.
  EXPECT_EQ(m_view.WheelZoom(CPixelPt{200, 600}, 0), EViewChange::kChanged);
  EXPECT_DOUBLE_EQ(m_view.GetScale(), 8);
  EXPECT_EQ(m_view.WheelZoom(CPixelPt{800, 600}, 120), EViewChange::kNone);
  EXPECT_DOUBLE_EQ(m_view.GetScale(), 8);
}

TEST_F(MapViewTest, MarkerOutsideTheViewRecentresItAtTheSameScale) {
  ASSERT_EQ(m_view.SetView(16, CMapPt(50, 50)), EViewChange::kChanged);  // shows 25..75
  // On the edge of the view: only a repaint.
  EXPECT_EQ(m_view.ShowMarker(true, 25, 75), EViewChange::kChanged);
  EXPECT_FLOAT_EQ(m_view.GetOrigin().m_x, 25);
  EXPECT_TRUE(m_view.IsMarkerInside());

  EXPECT_EQ(m_view.ShowMarker(false, 80, 90), EViewChange::kChanged);
  EXPECT_DOUBLE_EQ(m_view.GetScale(), 16);
  EXPECT_FLOAT_EQ(m_view.GetOrigin().m_x, 65);
  EXPECT_FLOAT_EQ(m_view.GetOrigin().m_y, 55);
  EXPECT_FALSE(m_view.IsMarkerInside());

  // Re-centring is not bound by the pan limit; from there every drag step is refused
  // and Fit brings the extent back.
  EXPECT_EQ(m_view.ShowMarker(true, -60, -170), EViewChange::kChanged);
  EXPECT_FLOAT_EQ(m_view.GetOrigin().m_x, -195);
  ASSERT_TRUE(m_view.BeginDrag(CPixelPt{400, 400}));
  EXPECT_EQ(m_view.DragTo(CPixelPt{401, 400}), EViewChange::kPanLimit);
  EXPECT_EQ(m_view.Fit(), EViewChange::kChanged);
  EXPECT_FLOAT_EQ(m_view.GetOrigin().m_x, 0);

  m_view.HideMarker();
  EXPECT_FALSE(m_view.HasMarker());
}

TEST(MapViewExtentTest, MarginComesFromTheLongitudeSpanAndGridCornersAreAddedAsTheyAre) {
  const CMapRect coast(CMapPt(110, -40), CMapPt(150, -10));
  const CMapRect alone = CMapView::NavigableExtent(coast, false, -60, 100, 0, 170);
  EXPECT_FLOAT_EQ(alone.m_min.m_x, 108);
  EXPECT_FLOAT_EQ(alone.m_max.m_x, 152);
  EXPECT_FLOAT_EQ(alone.m_min.m_y, -42);
  EXPECT_FLOAT_EQ(alone.m_max.m_y, -8);

  const CMapRect withGrid = CMapView::NavigableExtent(coast, true, -60, 100, -20, 130);
  EXPECT_FLOAT_EQ(withGrid.m_min.m_x, 100);
  EXPECT_FLOAT_EQ(withGrid.m_min.m_y, -60);
  EXPECT_FLOAT_EQ(withGrid.m_max.m_x, 152);
  EXPECT_FLOAT_EQ(withGrid.m_max.m_y, -8);
}

}  // namespace
