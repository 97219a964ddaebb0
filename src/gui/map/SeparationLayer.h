#pragma once
// The separation layer: the height of one reference surface above another (AHD above
// LAT at first), in metres and without the sign convention, as a colour map whose range
// is that of the values on screen, at least one code step of the grid wide (values that
// differ by less are the grid's rounding, not a difference to show). Its colours are
// opaque and mark every covered pixel. The two references are its choices, kept by
// their display names.

#include <QString>
#include <string>

#include "gui/map/MapLayer.h"

class CDataPt;

class CSeparationLayer : public CMapLayer {
 public:
  static constexpr const char* kName = "Separation";
  static constexpr const char* kFromKey = "Separation from";
  static constexpr const char* kToKey = "Separation to";
  static constexpr const char* kDefaultFrom = "LAT";
  static constexpr const char* kDefaultTo = "AHD";

  CSeparationLayer();

  // Display names of the references, as the reference list spells them.
  const std::string& GetFrom() const { return m_from; }
  const std::string& GetTo() const { return m_to; }
  // A name is matched ignoring case; one that is no reference's changes nothing.
  void SetFrom(const std::string& name);
  void SetTo(const std::string& name);

  // "AHD above LAT": the `to` surface's height above the `from` one. Short names call
  // the GDA94 ellipsoid "Ellipsoid", for labels that must fit the window.
  QString Title(bool shortNames = false) const;
  // "AHD above LAT: 1.23 m", the separation at a data point interpolated from `grid` at
  // `latitude`, `longitude` (decimal degrees).
  QString Text(const CGridInt& grid, const CDataPt& point, double latitude, double longitude,
               bool shortNames = false) const;
  // Metres as the map shows them: two decimals, never "-0.00".
  static QString FormatMetres(double metres);

  // The colour scale's range at the last drawing (the legend's): the separation's range
  // on screen, widened about its middle to at least one code step of the grid. None
  // when no pixel was covered.
  bool HasRange() const { return m_hasRange; }
  double RangeMin() const { return m_rangeMin; }
  double RangeMax() const { return m_rangeMax; }

  const char* Name() const override { return kName; }
  std::vector<CMapLayerChoice> Choices() override;
  bool AskRaster(CGridLayerRaster::Request& request) const override;
  std::string CacheKey() const override;
  void Draw(QImage& image, const CMapLayerFrame& frame) override;
  int LegendHeight(const QFontMetrics& metrics, int width) const override;
  void PaintLegend(QPainter& painter, const QRect& box, const QFontMetrics& metrics) const override;
  QStringList LegendToolTip() const override;

 private:
  // The legend's title: "AHD above LAT (m)" on one line if it fits `width`, else two.
  QStringList LegendTitle(const QFontMetrics& metrics, int width) const;

  std::string m_from, m_to;
  bool m_hasRange = false;
  double m_rangeMin = 0, m_rangeMax = 0;
};
