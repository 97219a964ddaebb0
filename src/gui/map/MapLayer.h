#pragma once
// One layer of the coast map, drawn under the coastlines (see CMapLayers, which holds
// them). A layer has a name, which is both its entry in the "Layers" menu and the
// profile key that keeps whether it is on; it may offer choices (a submenu of exclusive
// options, each kept under its own name); it draws itself into the layer image of one
// view and says what that drawing depends on, so that the image is kept until one of
// those changes; and it has an entry in the legend and in the legend's tooltip.

#include <QStringList>
#include <functional>
#include <string>
#include <vector>

#include "core/map/GridLayerRaster.h"

class CGridInt;
class CMapView;
class QFontMetrics;
class QImage;
class QPainter;
class QRect;

// What the layers of one view draw from.
struct CMapLayerFrame {
  const CGridInt& grid;
  const CMapView& view;
  const CGridLayerRaster& raster;  // the view's raster, as the layers on asked for it
};

// A setting of a layer offered as a submenu of exclusive options.
struct CMapLayerChoice {
  const char* name;  // the submenu's title and the profile key
  std::vector<std::string> options;
  std::function<std::string()> current;
  std::function<void(const std::string&)> choose;  // an option that is none of them changes nothing
};

class CMapLayer {
 public:
  virtual ~CMapLayer() = default;

  virtual const char* Name() const = 0;
  bool IsOn() const { return m_on; }
  void SetOn(bool on) { m_on = on; }
  virtual std::vector<CMapLayerChoice> Choices() { return {}; }

  // Adds what the layer reads from the grid's raster of the view to `request`; false
  // when it reads nothing of it.
  virtual bool AskRaster(CGridLayerRaster::Request&) const { return false; }
  // What the drawing depends on besides the grid, the view and the layers on.
  virtual std::string CacheKey() const { return {}; }
  // Draws into `image`, the drawing area's size (premultiplied alpha), over the layers
  // before it in the menu.
  virtual void Draw(QImage& image, const CMapLayerFrame& frame) = 0;

  // The legend entry for a text `width` pixels wide: its height (0 for none), and its
  // drawing into `box` with the legend's font set and a black pen.
  virtual int LegendHeight(const QFontMetrics& metrics, int width) const = 0;
  virtual void PaintLegend(QPainter& painter, const QRect& box, const QFontMetrics& metrics) const = 0;
  // The entry's text in full (its labels may be cut to the legend's width).
  virtual QStringList LegendToolTip() const = 0;

 private:
  bool m_on = false;
};
