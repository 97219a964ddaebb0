#include "gui/map/MapLayers.h"

#include <QPainter>
#include <QStringList>
#include <array>
#include <cmath>

#include "core/common/Profile.h"
#include "core/grid/DataPt.h"
#include "core/grid/GridInt.h"
#include "core/map/ColourScale.h"
#include "core/trans/TransFactory.h"
#include "gui/map/MapLegend.h"

namespace {

// The surface a reference reads, or the ellipsoid's index for every other answer.
int SurfaceOf(const std::string& name) {
  const CTransBase* ref = CTransFactory::Instance().Find(name);
  const int surface = ref ? ref->GetSurfaceRead() : CTransBase::kNoSurface;
  return surface >= 0 ? surface : CGridLayerRaster::kEllipsoid;
}

// The reference list's spelling of `name`, or "" when no reference has it.
std::string ListedName(const std::string& name) {
  const CTransBase* ref = CTransFactory::Instance().Find(name);
  return ref ? ref->GetName() : std::string();
}

QString FromStd(const std::string& text) { return QString::fromStdString(text); }

// A reference's name in the map's labels; the ellipsoid's display name, which says its
// datums, is too long for them.
QString LabelName(const std::string& name, bool shortName) {
  if (shortName && SurfaceOf(name) == CGridLayerRaster::kEllipsoid) return QStringLiteral("Ellipsoid");
  return FromStd(name);
}

// One step of the grid's coding in metres (the loaded grid's scale), 0 without one.
double CodeStep() { return CDataPt::s_scale > 0 ? 1.0 / CDataPt::s_scale : 0.0; }

}  // namespace

const QColor CMapLayers::kCoverageFill(0, 200, 0, 80);
const QColor CMapLayers::kCoverageEdge(0, 120, 0);

CMapLayers::CMapLayers() : m_from(kDefaultFrom), m_to(kDefaultTo) {}

void CMapLayers::Load(const std::string& section) {
  CProfile* profile = GetProfile();
  if (!profile) return;
  m_coverage = profile->GetInt(section, kCoverageKey, m_coverage ? 1 : 0) != 0;
  m_separation = profile->GetInt(section, kSeparationKey, m_separation ? 1 : 0) != 0;
  SetFrom(profile->GetString(section, kFromKey, m_from));
  SetTo(profile->GetString(section, kToKey, m_to));
}

void CMapLayers::Save(const std::string& section) const {
  CProfile* profile = GetProfile();
  if (!profile) return;
  profile->WriteInt(section, kCoverageKey, m_coverage ? 1 : 0);
  profile->WriteInt(section, kSeparationKey, m_separation ? 1 : 0);
  profile->WriteString(section, kFromKey, m_from);
  profile->WriteString(section, kToKey, m_to);
}

void CMapLayers::SetFrom(const std::string& name) {
  const std::string listed = ListedName(name);
  if (!listed.empty()) m_from = listed;
}

void CMapLayers::SetTo(const std::string& name) {
  const std::string listed = ListedName(name);
  if (!listed.empty()) m_to = listed;
}

QString CMapLayers::SeparationTitle(bool shortNames) const {
  return LabelName(m_to, shortNames) + QStringLiteral(" above ") + LabelName(m_from, shortNames);
}

QString CMapLayers::FormatMetres(double metres) {
  // Values that round to zero show without a sign.
  if (std::fabs(metres) < 0.005) metres = 0.0;
  return QString::asprintf("%.2f", metres);
}

QString CMapLayers::SeparationText(const CGridInt& grid, const CDataPt& point, bool shortNames) const {
  const double separation = CGridLayerRaster::SeparationAt(grid, point, SurfaceOf(m_from), SurfaceOf(m_to));
  return SeparationTitle(shortNames) + QStringLiteral(": ") + FormatMetres(separation) + QStringLiteral(" m");
}

bool CMapLayers::Key::operator==(const Key& other) const {
  return grid == other.grid && gridPath == other.gridPath && gridRows == other.gridRows && gridSize == other.gridSize &&
         draw.left == other.draw.left && draw.top == other.draw.top && draw.right == other.draw.right &&
         draw.bottom == other.draw.bottom && originX == other.originX && originY == other.originY &&
         scale == other.scale && coverage == other.coverage && separation == other.separation && from == other.from &&
         to == other.to;
}

CMapLayers::Key CMapLayers::MakeKey(const CGridInt& grid, const CMapView& view) const {
  Key key;
  key.grid = &grid;
  key.gridPath = grid.GetFilePath();
  key.gridRows = grid.GetRowCount();
  key.gridSize = grid.GetGridSize();
  key.draw = view.GetDrawRect();
  key.originX = view.GetOrigin().m_x;
  key.originY = view.GetOrigin().m_y;
  key.scale = view.GetScale();
  key.coverage = m_coverage;
  key.separation = m_separation;
  key.from = SurfaceOf(m_from);
  key.to = SurfaceOf(m_to);
  return key;
}

void CMapLayers::Paint(QPainter& painter, const CGridInt* grid, const CMapView& view) {
  if (!IsAnyOn() || !grid || !grid->IsLoaded() || !view.HasView()) return;
  const Key key = MakeKey(*grid, view);
  if (!m_haveImage || !(key == m_key)) {
    m_key = key;
    Render(*grid, view);
    m_haveImage = true;
  }
  const CPixelRect& draw = view.GetDrawRect();
  painter.drawImage(QPoint(draw.left, draw.top), m_image);
}

void CMapLayers::Render(const CGridInt& grid, const CMapView& view) {
  m_raster.Compute(grid, view, CGridLayerRaster::Request{m_separation, m_key.from, m_key.to});
  const int w = m_raster.Width(), h = m_raster.Height();
  if (m_image.size() != QSize(w, h)) m_image = QImage(w, h, QImage::Format_ARGB32_Premultiplied);
  m_image.fill(Qt::transparent);
  if (!m_raster.HasRange()) return;
  m_rangeMin = m_raster.Min();
  m_rangeMax = m_raster.Max();
  const double step = CodeStep();
  if (m_rangeMax - m_rangeMin < step) {
    const double middle = 0.5 * (m_rangeMin + m_rangeMax);
    m_rangeMin = middle - 0.5 * step;
    m_rangeMax = middle + 0.5 * step;
  }

  std::array<QRgb, CColourScale::kSteps> colours;
  for (std::size_t i = 0; i < colours.size(); ++i) {
    const CRgb& c = CColourScale::Table()[i];
    colours[i] = qRgb(c.r, c.g, c.b);
  }
  const QRgb fill = qPremultiply(kCoverageFill.rgba());
  const QRgb edge = kCoverageEdge.rgba();
  const double low = m_rangeMin;
  const double span = m_rangeMax - low;
  for (int y = 0; y < h; ++y) {
    const float* row = m_raster.Row(y);
    const float* above = y > 0 ? m_raster.Row(y - 1) : nullptr;
    const float* below = y + 1 < h ? m_raster.Row(y + 1) : nullptr;
    auto* line = reinterpret_cast<QRgb*>(m_image.scanLine(y));
    for (int x = 0; x < w; ++x) {
      if (std::isnan(row[x])) {
        // The edge runs just outside the covered pixels, so that it hides none of them.
        const bool edgePixel =
            m_coverage && ((above && !std::isnan(above[x])) || (below && !std::isnan(below[x])) ||
                           (x > 0 && !std::isnan(row[x - 1])) || (x + 1 < w && !std::isnan(row[x + 1])));
        if (edgePixel) line[x] = edge;
        continue;
      }
      if (!m_separation) {
        line[x] = fill;
        continue;
      }
      // A single value on screen takes the middle of the scale.
      const double t = span > 0 ? (row[x] - low) / span : 0.5;
      line[x] = colours[static_cast<std::size_t>(t * (CColourScale::kSteps - 1) + 0.5)];
    }
  }
}

QRect CMapLayers::PaintLegend(QPainter& painter, const CMapView& view, const QFont& font) const {
  CMapLegend legend;
  legend.separation = m_separation;
  legend.title = {LabelName(m_to, true), QStringLiteral("above ") + LabelName(m_from, true) + QStringLiteral(" (m)")};
  legend.hasRange = HasRange() && m_haveImage;
  legend.minText = FormatMetres(RangeMin());
  legend.maxText = FormatMetres(RangeMax());
  legend.coverage = m_coverage;
  legend.coverageFill = kCoverageFill;
  legend.coverageEdge = kCoverageEdge;
  const CPixelRect& draw = view.GetDrawRect();
  return PaintMapLegend(painter, QRect(draw.left, draw.top, draw.Width(), draw.Height()), legend, font);
}

QString CMapLayers::LegendToolTip() const {
  QStringList lines;
  if (m_separation) {
    lines << SeparationTitle() + QStringLiteral(" (m)");
    if (HasRange() && m_haveImage)
      lines << QStringLiteral("On screen from %1 to %2 m").arg(FormatMetres(m_rangeMin), FormatMetres(m_rangeMax));
  }
  if (m_coverage) lines << QStringLiteral("Grid coverage: where a transformation is possible");
  return lines.join(QLatin1Char('\n'));
}
