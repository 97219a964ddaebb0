#include "gui/map/SeparationLayer.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <array>
#include <cmath>

#include "core/grid/DataPt.h"
#include "core/map/ColourScale.h"
#include "core/trans/TransFactory.h"
#include "gui/map/MapLegend.h"

namespace {

constexpr int kBarHeight = 100;  // pixels of the legend's colour bar

// The surface a reference reads, the GDA2020 ellipsoid's index, or the GDA94
// ellipsoid's for every other answer.
int SurfaceOf(const std::string& name) {
  const CTransBase* ref = CTransFactory::Instance().Find(name);
  const int surface = ref ? ref->GetSurfaceRead() : CDataPt::kEllipsoid;
  return surface >= 0 || surface == CDataPt::kEllipsoidGda2020 ? surface : CGridLayerRaster::kEllipsoid;
}

// The reference list's spelling of `name`, or "" when no reference has it.
std::string ListedName(const std::string& name) {
  const CTransBase* ref = CTransFactory::Instance().Find(name);
  return ref ? ref->GetName() : std::string();
}

// A reference's name in the map's labels; the GDA94 ellipsoid's display name, which
// says its datums, is too long for them (the GDA2020 one's is short enough).
QString LabelName(const std::string& name, bool shortName) {
  if (shortName && SurfaceOf(name) == CGridLayerRaster::kEllipsoid) return QStringLiteral("Ellipsoid");
  return QString::fromStdString(name);
}

// One step of the grid's coding in metres (the loaded grid's scale), 0 without one.
double CodeStep() { return CDataPt::s_scale > 0 ? 1.0 / CDataPt::s_scale : 0.0; }

}  // namespace

CSeparationLayer::CSeparationLayer() : m_from(kDefaultFrom), m_to(kDefaultTo) {}

void CSeparationLayer::SetFrom(const std::string& name) {
  const std::string listed = ListedName(name);
  if (!listed.empty()) m_from = listed;
}

void CSeparationLayer::SetTo(const std::string& name) {
  const std::string listed = ListedName(name);
  if (!listed.empty()) m_to = listed;
}

QString CSeparationLayer::Title(bool shortNames) const {
  return LabelName(m_to, shortNames) + QStringLiteral(" above ") + LabelName(m_from, shortNames);
}

QString CSeparationLayer::FormatMetres(double metres) {
  // Values that round to zero show without a sign.
  if (std::fabs(metres) < 0.005) metres = 0.0;
  return QString::asprintf("%.2f", metres);
}

QString CSeparationLayer::Text(const CGridInt& grid, const CDataPt& point, double latitude, double longitude,
                               bool shortNames) const {
  const double separation =
      CGridLayerRaster::SeparationAt(grid, point, latitude, longitude, SurfaceOf(m_from), SurfaceOf(m_to));
  return Title(shortNames) + QStringLiteral(": ") + FormatMetres(separation) + QStringLiteral(" m");
}

std::vector<CMapLayerChoice> CSeparationLayer::Choices() {
  const std::vector<std::string> names = CTransFactory::Instance().GetNames();
  return {{kFromKey, names, [this] { return m_from; }, [this](const std::string& name) { SetFrom(name); }},
          {kToKey, names, [this] { return m_to; }, [this](const std::string& name) { SetTo(name); }}};
}

bool CSeparationLayer::AskRaster(CGridLayerRaster::Request& request) const {
  request.separation = true;
  request.from = SurfaceOf(m_from);
  request.to = SurfaceOf(m_to);
  return true;
}

std::string CSeparationLayer::CacheKey() const {
  return std::to_string(SurfaceOf(m_from)) + ' ' + std::to_string(SurfaceOf(m_to));
}

void CSeparationLayer::Draw(QImage& image, const CMapLayerFrame& frame) {
  const CGridLayerRaster& raster = frame.raster;
  m_hasRange = raster.HasRange();
  if (!m_hasRange) return;
  m_rangeMin = raster.Min();
  m_rangeMax = raster.Max();
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
  const double low = m_rangeMin;
  const double span = m_rangeMax - low;
  for (int y = 0; y < raster.Height(); ++y) {
    const float* row = raster.Row(y);
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < raster.Width(); ++x) {
      if (std::isnan(row[x])) continue;
      // A single value on screen takes the middle of the scale.
      const double t = span > 0 ? (row[x] - low) / span : 0.5;
      line[x] = colours[static_cast<std::size_t>(t * (CColourScale::kSteps - 1) + 0.5)];
    }
  }
}

QStringList CSeparationLayer::LegendTitle(const QFontMetrics& metrics, int width) const {
  const QStringList parts{LabelName(m_to, true),
                          QStringLiteral("above ") + LabelName(m_from, true) + QStringLiteral(" (m)")};
  const QString whole = parts.join(QLatin1Char(' '));
  return metrics.horizontalAdvance(whole) <= width ? QStringList{whole} : parts;
}

int CSeparationLayer::LegendHeight(const QFontMetrics& metrics, int width) const {
  const int line = metrics.height();
  return static_cast<int>(LegendTitle(metrics, width).size()) * line + CMapLegend::kGap +
         (m_hasRange ? kBarHeight : line);
}

void CSeparationLayer::PaintLegend(QPainter& painter, const QRect& box, const QFontMetrics& metrics) const {
  const int line = metrics.height(), left = box.left(), width = box.width();
  int top = box.top();
  for (const QString& part : LegendTitle(metrics, width)) {
    painter.drawText(QRect(left, top, width, line), Qt::AlignLeft | Qt::AlignVCenter,
                     FitLegendText(metrics, part, width));
    top += line;
  }
  top += CMapLegend::kGap;
  if (!m_hasRange) {
    painter.drawText(QRect(left, top, width, line), Qt::AlignLeft | Qt::AlignVCenter,
                     FitLegendText(metrics, QStringLiteral("No grid in view"), width));
    return;
  }
  // The high end at the top, one pixel row per step of the scale's height.
  for (int y = 0; y < kBarHeight; ++y) {
    const CRgb c = CColourScale::At(1.0 - static_cast<double>(y) / (kBarHeight - 1));
    painter.fillRect(left, top + y, CMapLegend::kSwatchWidth, 1, QColor(c.r, c.g, c.b));
  }
  const int text = left + CMapLegend::kSwatchWidth + CMapLegend::kGap;
  const int room = width - CMapLegend::kSwatchWidth - CMapLegend::kGap;
  painter.drawText(QRect(text, top, room, line), Qt::AlignLeft | Qt::AlignTop,
                   FitLegendText(metrics, FormatMetres(m_rangeMax), room));
  painter.drawText(QRect(text, top + kBarHeight - line, room, line), Qt::AlignLeft | Qt::AlignBottom,
                   FitLegendText(metrics, FormatMetres(m_rangeMin), room));
}

QStringList CSeparationLayer::LegendToolTip() const {
  QStringList lines{Title() + QStringLiteral(" (m)")};
  if (m_hasRange)
    lines << QStringLiteral("On screen from %1 to %2 m").arg(FormatMetres(m_rangeMin), FormatMetres(m_rangeMax));
  return lines;
}
