#include <gtest/gtest.h>

#include <QAction>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include "core/common/Profile.h"
#include "core/map/LayerTestGrid.h"
#include "gui/map/MapLayers.h"
#include "gui/map/MapLayersMenu.h"
#include "gui/map/MapLegend.h"
#include "support/ClassWideValues.h"

namespace {

const char* const kSection = "Map";
const CMapPt kSurvey(142, -35);

// A further layer as one would be written: a survey's footprint (here one map position)
// in the colour chosen.
class CFootprintLayer : public CMapLayer {
 public:
  int m_draws = 0;

  QColor Colour() const { return m_colour == "Red" ? QColor(Qt::red) : QColor(Qt::blue); }
  const char* Name() const override { return "Survey footprints"; }
  std::vector<CMapLayerChoice> Choices() override {
    return {{"Footprint colour",
             {"Red", "Blue"},
             [this] { return m_colour; },
             [this](const std::string& colour) {
               if (colour == "Red" || colour == "Blue") m_colour = colour;
             }}};
  }
  std::string CacheKey() const override { return m_colour; }
  void Draw(QImage& image, const CMapLayerFrame& frame) override {
    ++m_draws;
    const CPixelPt at = frame.view.MapToClient(kSurvey);
    image.setPixelColor(at.x - frame.view.GetDrawRect().left, at.y - frame.view.GetDrawRect().top, Colour());
  }
  int LegendHeight(const QFontMetrics& metrics, int) const override { return metrics.height(); }
  void PaintLegend(QPainter& painter, const QRect& box, const QFontMetrics& metrics) const override {
    PaintLegendSwatch(painter, box, metrics, Colour(), Colour(), Name());
  }
  QStringList LegendToolTip() const override { return {"Footprints in " + QString::fromStdString(m_colour)}; }

 private:
  std::string m_colour = "Red";
};

QStringList Texts(const QMenu& menu) {
  QStringList texts;
  for (const QAction* action : menu.actions()) texts << action->text();
  return texts;
}

// A layer added to the map's layers takes its place in the menu, the profile, the layer
// image (over the separation, kept until its choice changes) and the legend (at the top).
TEST(MapLayerPlugInTest, AFurtherLayerIsSwitchedKeptDrawnAndListedLikeTheOthers) {
  const CClassWideValues classWide;  // the test grid sets the coding values
  CMemoryProfile profile;
  const CScopedProfile scopedProfile(&profile);
  profile.WriteInt(kSection, "Separation", 1);
  profile.WriteInt(kSection, "Survey footprints", 1);
  profile.WriteString(kSection, "Footprint colour", "Blue");

  CMapLayers layers;
  auto owned = std::make_unique<CFootprintLayer>();
  CFootprintLayer& footprints = *owned;
  layers.Add(std::move(owned));
  layers.Load(kSection);
  EXPECT_TRUE(footprints.IsOn());
  EXPECT_EQ(footprints.Choices()[0].current(), "Blue");

  CMapLayersMenu menu(layers, nullptr);
  const QStringList texts = Texts(menu);
  ASSERT_GE(texts.size(), 6);
  EXPECT_EQ(texts.mid(0, 6), (QStringList{"Grid coverage", "Separation", "Survey footprints", "Separation from",
                                          "Separation to", "Footprint colour"}));
  EXPECT_TRUE(menu.LayerAction("Survey footprints")->isChecked());
  EXPECT_TRUE(menu.ChoiceAction("Footprint colour", "Blue")->isChecked());

  CGridInt grid;
  CLayerTestGrid{-38, 138, 1, 7, 9, 0.25}.Build(grid);
  CMapView view;
  view.SetDrawRect(CPixelRect{10, 20, 210, 170});
  view.SetDataRect(CMapRect(CMapPt(137, -39), CMapPt(147, -31)));
  view.Fit();
  const CPixelPt survey = view.MapToClient(kSurvey);
  const auto paint = [&] {
    QImage image(300, 200, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    layers.Paint(painter, &grid, view);
    return image;
  };
  QImage image = paint();
  EXPECT_EQ(image.pixelColor(survey.x, survey.y), QColor(Qt::blue));
  EXPECT_NE(image.pixelColor(survey.x + 1, survey.y), QColor(Qt::white));  // the separation under it
  paint();
  EXPECT_EQ(footprints.m_draws, 1);

  int changed = 0;
  QObject::connect(&menu, &CMapLayersMenu::LayersChanged, [&changed] { ++changed; });
  menu.ChoiceAction("Footprint colour", "Red")->trigger();
  EXPECT_EQ(changed, 1);
  image = paint();
  EXPECT_EQ(footprints.m_draws, 2);
  EXPECT_EQ(image.pixelColor(survey.x, survey.y), QColor(Qt::red));

  // The legend lists the top layer first, its swatch in the frame's top row.
  EXPECT_TRUE(layers.LegendToolTip().startsWith("Footprints in Red\nAHD above LAT (m)\n"));
  QPainter painter(&image);
  const QRect box = layers.PaintLegend(painter, view, QFont());
  painter.end();
  const int swatchRow = box.top() + 6 + QFontMetrics(QFont()).height() / 2;
  EXPECT_EQ(image.pixelColor(box.left() + 6 + 7, swatchRow), QColor(Qt::red));

  menu.LayerAction("Survey footprints")->trigger();
  EXPECT_FALSE(footprints.IsOn());
  layers.Save(kSection);
  EXPECT_EQ(profile.GetInt(kSection, "Survey footprints", -1), 0);
  EXPECT_EQ(profile.GetString(kSection, "Footprint colour", ""), "Red");
}

}  // namespace
