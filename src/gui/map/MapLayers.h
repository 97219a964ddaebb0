#pragma once
// The layers of the coast map, drawn under the coastlines, in the order of the "Layers"
// menu, each over those before it: the grid coverage (CCoverageLayer), then the
// separation (CSeparationLayer). With both on, the separation's colours hide the
// coverage tint and the coverage adds its outline alone. The legend lists the layers on
// from the top one down. A further layer is a CMapLayer added here.
//
// The layer image is made for one view at a time (see CGridLayerRaster) and kept until
// the view, the grid, the layers on or what one of them depends on changes.
//
// The settings live in the map window's profile section: under each layer's name
// whether it is on (integers, 1 on, 0 off; all off at a first start), under each of its
// choices' names the option chosen ("Separation from" and "Separation to": display names
// of the references).

#include <QColor>
#include <QImage>
#include <QRect>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/map/GridLayerRaster.h"
#include "core/map/MapView.h"
#include "gui/map/CoverageLayer.h"
#include "gui/map/SeparationLayer.h"

class CGridInt;
class QFont;
class QPainter;

class CMapLayers {
 public:
  // The profile keys of the two layers every map has, and the coverage's colours.
  static constexpr const char* kCoverageKey = CCoverageLayer::kName;
  static constexpr const char* kSeparationKey = CSeparationLayer::kName;
  static inline const QColor& kCoverageFill = CCoverageLayer::kFill;
  static inline const QColor& kCoverageEdge = CCoverageLayer::kEdge;

  CMapLayers();

  // Adds a layer after the others: drawn over them, after them in the menu, above them
  // in the legend.
  void Add(std::unique_ptr<CMapLayer> layer);
  const std::vector<std::unique_ptr<CMapLayer>>& All() const { return m_layers; }

  // Reads and writes the settings in a profile section (nothing without a profile). A
  // stored option that is none of a choice's keeps the current one.
  void Load(const std::string& section);
  void Save(const std::string& section) const;

  CSeparationLayer& Separation() { return *m_separation; }
  const CSeparationLayer& Separation() const { return *m_separation; }
  bool IsCoverageOn() const { return m_coverage->IsOn(); }
  bool IsSeparationOn() const { return m_separation->IsOn(); }
  void SetCoverage(bool on) { m_coverage->SetOn(on); }
  void SetSeparation(bool on) { m_separation->SetOn(on); }
  bool IsAnyOn() const;

  // Draws the layers that are on for `view` (client coordinates), from the kept image
  // when nothing has changed since the last call. Nothing without a loaded grid.
  void Paint(QPainter& painter, const CGridInt* grid, const CMapView& view);
  // Draws the legend of the layers that are on, as they were last painted, into the
  // drawing area's lower-left corner; returns the box it took (empty without one).
  QRect PaintLegend(QPainter& painter, const CMapView& view, const QFont& font) const;
  // The legend's text in full (its labels may be cut to its width).
  QString LegendToolTip() const;

  // The separation's colour range at the last Paint (see CSeparationLayer), while it is on.
  bool HasRange() const { return IsSeparationOn() && m_separation->HasRange(); }
  double RangeMin() const { return m_separation->RangeMin(); }
  double RangeMax() const { return m_separation->RangeMax(); }
  // Forgets the kept image, so that the next Paint computes it again.
  void ClearCache() { m_haveImage = false; }

 private:
  // Everything the layer image depends on.
  struct Key {
    const CGridInt* grid = nullptr;
    std::string gridPath;
    std::size_t gridRows = 0;
    double gridSize = 0;
    int drawLeft = 0, drawTop = 0, drawRight = 0, drawBottom = 0;
    float originX = 0, originY = 0;
    double scale = 0;
    std::vector<std::optional<std::string>> layers;  // each layer's CacheKey, none while it is off
    bool operator==(const Key& other) const = default;
  };
  Key MakeKey(const CGridInt& grid, const CMapView& view) const;
  void Render(const CGridInt& grid, const CMapView& view);
  // The layers that are on, from the top one down.
  std::vector<const CMapLayer*> TopDown() const;

  std::vector<std::unique_ptr<CMapLayer>> m_layers;
  CCoverageLayer* m_coverage;
  CSeparationLayer* m_separation;

  CGridLayerRaster m_raster;
  QImage m_image;  // drawing-area sized, premultiplied alpha
  Key m_key;
  bool m_haveImage = false;
};
