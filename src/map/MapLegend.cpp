#include "map/MapLegend.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

#include "map/ColourScale.h"

namespace {

constexpr int kMargin = 8;     // pixels between the legend and the drawing area's edges
constexpr int kPadding = 6;    // pixels inside the legend's frame
constexpr int kBarWidth = 14;  // the colour bar and the coverage swatch
constexpr int kBarHeight = 100;
constexpr int kGap = 4;  // between a bar or swatch and its text, and between rows
const QColor kBackground(255, 255, 255, 230);
const QColor kFrame(96, 96, 96);

QString NoGridText() { return QStringLiteral("No grid in view"); }
QString CoverageText() { return QStringLiteral("Grid coverage"); }

}  // namespace

QRect PaintMapLegend(QPainter& painter, const QRect& area, const CMapLegend& legend, const QFont& font) {
  if (!legend.separation && !legend.coverage) return QRect();
  const QFontMetrics metrics(font);
  const int line = metrics.height();

  // Measure first: the box grows to its widest row.
  int width = 0, height = 0;
  if (legend.separation) {
    width = metrics.horizontalAdvance(legend.title);
    height += line + kGap;
    if (legend.hasRange) {
      const int labels = std::max(metrics.horizontalAdvance(legend.maxText), metrics.horizontalAdvance(legend.minText));
      width = std::max(width, kBarWidth + kGap + labels);
      height += kBarHeight;
    } else {
      width = std::max(width, metrics.horizontalAdvance(NoGridText()));
      height += line;
    }
  }
  if (legend.coverage) {
    if (legend.separation) height += kGap;
    width = std::max(width, kBarWidth + kGap + metrics.horizontalAdvance(CoverageText()));
    height += line;
  }
  const QRect box(area.left() + kMargin, area.bottom() - kMargin - height - 2 * kPadding, width + 2 * kPadding,
                  height + 2 * kPadding);

  painter.save();
  painter.setFont(font);
  painter.setPen(kFrame);
  painter.setBrush(kBackground);
  painter.drawRect(box.adjusted(0, 0, -1, -1));
  const int left = box.left() + kPadding;
  int top = box.top() + kPadding;
  painter.setPen(Qt::black);
  if (legend.separation) {
    painter.drawText(QRect(left, top, width, line), Qt::AlignLeft | Qt::AlignVCenter, legend.title);
    top += line + kGap;
    if (legend.hasRange) {
      // The high end at the top, one pixel row per step of the scale's height.
      for (int y = 0; y < kBarHeight; ++y) {
        const CRgb c = CColourScale::At(1.0 - static_cast<double>(y) / (kBarHeight - 1));
        painter.fillRect(left, top + y, kBarWidth, 1, QColor(c.r, c.g, c.b));
      }
      const int text = left + kBarWidth + kGap;
      painter.drawText(QRect(text, top, width, line), Qt::AlignLeft | Qt::AlignTop, legend.maxText);
      painter.drawText(QRect(text, top + kBarHeight - line, width, line), Qt::AlignLeft | Qt::AlignBottom,
                       legend.minText);
      top += kBarHeight;
    } else {
      painter.drawText(QRect(left, top, width, line), Qt::AlignLeft | Qt::AlignVCenter, NoGridText());
      top += line;
    }
  }
  if (legend.coverage) {
    if (legend.separation) top += kGap;
    const QRect swatch(left, top + (line - 10) / 2, kBarWidth, 10);
    painter.fillRect(swatch, legend.coverageFill);
    painter.setPen(legend.coverageEdge);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(swatch.adjusted(0, 0, -1, -1));
    painter.setPen(Qt::black);
    painter.drawText(QRect(left + kBarWidth + kGap, top, width, line), Qt::AlignLeft | Qt::AlignVCenter,
                     CoverageText());
  }
  painter.restore();
  return box;
}
