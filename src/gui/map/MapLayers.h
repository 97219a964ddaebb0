#pragma once
// The grid layers of the coast map, drawn under the coastlines:
// - coverage: every pixel where the loaded grid allows a transformation, tinted
//   translucent green, outlined solid by the uncovered pixels next to them;
// - separation: the height of one reference surface above another (AHD above LAT at
//   first), in metres and without the sign convention, as a colour map whose range is
//   that of the values on screen, at least one code step of the grid wide (values that
//   differ by less are the grid's rounding, not a difference to show), with a legend.
// With both on, the colour map already marks every covered pixel and the coverage adds
// its outline alone. The layer image is made for one view at a time (see CGridLayerRaster)
// and kept until the view, the grid or a setting changes.
//
// The settings live in the map window's profile section: "Grid coverage" and
// "Separation" (integers, 1 on, 0 off; both off at a first start), "Separation from" and
// "Separation to" (display names of the references).

#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>
#include <string>

#include "core/map/GridLayerRaster.h"
#include "core/map/MapView.h"

class CDataPt;
class CGridInt;
class QFont;
class QPainter;

class CMapLayers {
 public:
  static constexpr const char* kCoverageKey = "Grid coverage";
  static constexpr const char* kSeparationKey = "Separation";
  static constexpr const char* kFromKey = "Separation from";
  static constexpr const char* kToKey = "Separation to";
  static constexpr const char* kDefaultFrom = "LAT";
  static constexpr const char* kDefaultTo = "AHD";

  static const QColor kCoverageFill;  // translucent, over land and sea alike
  static const QColor kCoverageEdge;

  CMapLayers();

  // Reads and writes the settings in a profile section (nothing without a profile). A
  // stored name that is no reference's keeps the current choice.
  void Load(const std::string& section);
  void Save(const std::string& section) const;

  bool IsCoverageOn() const { return m_coverage; }
  bool IsSeparationOn() const { return m_separation; }
  bool IsAnyOn() const { return m_coverage || m_separation; }
  void SetCoverage(bool on) { m_coverage = on; }
  void SetSeparation(bool on) { m_separation = on; }
  // Display names of the references, as the reference list spells them.
  const std::string& GetFrom() const { return m_from; }
  const std::string& GetTo() const { return m_to; }
  // A name is matched ignoring case; one that is no reference's changes nothing.
  void SetFrom(const std::string& name);
  void SetTo(const std::string& name);

  // "AHD above LAT": the `to` surface's height above the `from` one. Short names call
  // the ellipsoid "Ellipsoid", for labels that must fit the window.
  QString SeparationTitle(bool shortNames = false) const;
  // "AHD above LAT: 1.23 m", the separation at a data point interpolated from `grid`.
  QString SeparationText(const CGridInt& grid, const CDataPt& point, bool shortNames = false) const;
  // Metres as the map shows them: two decimals, never "-0.00".
  static QString FormatMetres(double metres);

  // Draws the layers that are on for `view` (client coordinates), from the kept image
  // when nothing has changed since the last call. Nothing without a loaded grid.
  void Paint(QPainter& painter, const CGridInt* grid, const CMapView& view);
  // Draws the legend of the layers that are on, with the range of the last Paint, into
  // the drawing area's lower-left corner; returns the box it took (empty without one).
  QRect PaintLegend(QPainter& painter, const CMapView& view, const QFont& font) const;
  // The legend's text in full (its labels may be cut to its width).
  QString LegendToolTip() const;

  // The colour scale's range at the last Paint (the legend's): the separation's range
  // on screen, widened about its middle to at least one code step of the grid.
  bool HasRange() const { return m_raster.HasRange() && m_separation; }
  double RangeMin() const { return m_rangeMin; }
  double RangeMax() const { return m_rangeMax; }
  // Forgets the kept image, so that the next Paint computes it again.
  void ClearCache() { m_haveImage = false; }

 private:
  // Everything the layer image depends on.
  struct Key {
    const CGridInt* grid = nullptr;
    std::string gridPath;
    std::size_t gridRows = 0;
    double gridSize = 0;
    CPixelRect draw;
    float originX = 0, originY = 0;
    double scale = 0;
    bool coverage = false, separation = false;
    int from = 0, to = 0;
    bool operator==(const Key& other) const;
  };
  Key MakeKey(const CGridInt& grid, const CMapView& view) const;
  void Render(const CGridInt& grid, const CMapView& view);

  bool m_coverage = false;
  bool m_separation = false;
  std::string m_from, m_to;

  CGridLayerRaster m_raster;
  double m_rangeMin = 0, m_rangeMax = 0;
  QImage m_image;  // drawing-area sized, premultiplied alpha
  Key m_key;
  bool m_haveImage = false;
};
