#include <gtest/gtest.h>

#include "core/map/MapLabels.h"

namespace {

TEST(MapLabelsTest, BoxReachesFromLeftOfTheDotPastTheNameWithClearance) {
  const CPixelRect box = TownLabelBox(CPixelPt{100, 50}, 40, 15);
  EXPECT_EQ(box.left, 100 - 2 - 10);
  EXPECT_EQ(box.top, 50 - 7 - 10);
  EXPECT_EQ(box.right, 100 + 7 + 40 + 10);
  EXPECT_EQ(box.bottom, 50 + 7 + 10);
}

TEST(MapLabelsTest, EarlierTownsWinAndSkippedTownsClaimNoSpace) {
  const CPixelRect a{0, 0, 50, 20};
  const CPixelRect b{40, 0, 90, 20};    // overlaps a
  const CPixelRect c{85, 0, 130, 20};   // overlaps only b, which is not drawn
  const CPixelRect d{130, 0, 150, 20};  // touches c: no shared pixel
  EXPECT_EQ(PlaceLabels({a, b, c, d}), (std::vector<bool>{true, false, true, true}));
  // The same boxes in another order: the file order decides.
  EXPECT_EQ(PlaceLabels({b, a, c}), (std::vector<bool>{true, false, false}));
  EXPECT_TRUE(PlaceLabels({}).empty());
}

TEST(MapLabelsTest, TownHiddenAtTheFittedViewAppearsAfterZoomingIn) {
  CMapView view;
  view.SetDrawRect(CPixelRect{0, 0, 800, 800});
  view.SetDataRect(CMapRect(CMapPt(140, -40), CMapPt(150, -30)));
  const CMapPt first(145.0f, -35.0f), second(145.1f, -35.05f);
  auto layout = [&] {
    return PlaceLabels({TownLabelBox(view.MapToClient(first), 60, 14), TownLabelBox(view.MapToClient(second), 60, 14)});
  };
  ASSERT_EQ(view.Fit(), EViewChange::kChanged);
  EXPECT_EQ(layout(), (std::vector<bool>{true, false}));
  ASSERT_EQ(view.SetView(view.GetScale() * 10, CMapPt(145, -35)), EViewChange::kChanged);
  EXPECT_EQ(layout(), (std::vector<bool>{true, true}));
}

TEST(MapLabelsTest, DotIsCutToTheDrawingRectangle) {
  const CPixelRect draw{5, 30, 400, 300};
  const CPixelRect whole = DotBox(CPixelPt{100, 100}, draw);
  EXPECT_EQ(whole.left, 95);
  EXPECT_EQ(whole.bottom, 105);
  const CPixelRect edge = DotBox(CPixelPt{7, 298}, draw);
  EXPECT_EQ(edge.left, 5);
  EXPECT_EQ(edge.top, 293);
  EXPECT_EQ(edge.right, 12);
  EXPECT_EQ(edge.bottom, 300);
  EXPECT_TRUE(DotBox(CPixelPt{-20, 100}, draw).IsEmpty());
}

}  // namespace
