#include "gui/map/MapLegend.h"

#include <QFontMetrics>
#include <QPainter>

#include "gui/map/MapLayer.h"

namespace {

constexpr int kMargin = 8;   // pixels between the legend and the drawing area's edges
constexpr int kPadding = 6;  // pixels inside the legend's frame
constexpr int kSwatchHeight = 10;
const QColor kBackground(255, 255, 255, 230);
const QColor kFrame(96, 96, 96);

}  // namespace

QString FitLegendText(const QFontMetrics& metrics, const QString& text, int room) {
  return metrics.elidedText(text, Qt::ElideRight, room);
}

void PaintLegendSwatch(QPainter& painter, const QRect& box, const QFontMetrics& metrics, const QColor& fill,
                       const QColor& edge, const QString& text) {
  const int line = metrics.height();
  const QRect swatch(box.left(), box.top() + (line - kSwatchHeight) / 2, CMapLegend::kSwatchWidth, kSwatchHeight);
  painter.fillRect(swatch, fill);
  painter.setPen(edge);
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(swatch.adjusted(0, 0, -1, -1));
  painter.setPen(Qt::black);
  const int room = box.width() - CMapLegend::kSwatchWidth - CMapLegend::kGap;
  painter.drawText(QRect(box.left() + CMapLegend::kSwatchWidth + CMapLegend::kGap, box.top(), room, line),
                   Qt::AlignLeft | Qt::AlignVCenter, FitLegendText(metrics, text, room));
}

QRect PaintMapLegend(QPainter& painter, const QRect& area, const std::vector<const CMapLayer*>& layers,
                     const QFont& font) {
  const QFontMetrics metrics(font);
  const int width = CMapLegend::kTextChars * metrics.averageCharWidth();
  std::vector<std::pair<const CMapLayer*, int>> entries;
  int height = 0;
  for (const CMapLayer* layer : layers) {
    const int entry = layer->LegendHeight(metrics, width);
    if (entry <= 0) continue;
    if (!entries.empty()) height += CMapLegend::kGap;
    height += entry;
    entries.emplace_back(layer, entry);
  }
  if (entries.empty()) return QRect();
  const QRect box(area.left() + kMargin, area.bottom() - kMargin - height - 2 * kPadding, width + 2 * kPadding,
                  height + 2 * kPadding);

  painter.save();
  painter.setFont(font);
  painter.setPen(kFrame);
  painter.setBrush(kBackground);
  painter.drawRect(box.adjusted(0, 0, -1, -1));
  int top = box.top() + kPadding;
  for (const auto& [layer, entry] : entries) {
    painter.save();
    painter.setPen(Qt::black);
    layer->PaintLegend(painter, QRect(box.left() + kPadding, top, width, entry), metrics);
    painter.restore();
    top += entry + CMapLegend::kGap;
  }
  painter.restore();
  return box;
}
