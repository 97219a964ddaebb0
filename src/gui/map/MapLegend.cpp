#include "gui/map/MapLegend.h"

#include <QFontMetrics>
#include <QPainter>

#include "core/map/ColourScale.h"

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
  const int width = CMapLegend::kTextChars * metrics.averageCharWidth();
  const auto fit = [&](const QString& text, int room) { return metrics.elidedText(text, Qt::ElideRight, room); };

  // The title on one line when it fits, else a line for each part.
  const QString whole = legend.title.join(QLatin1Char(' '));
  const QStringList title = metrics.horizontalAdvance(whole) <= width ? QStringList{whole} : legend.title;
  int height = 0;
  if (legend.separation) {
    height += static_cast<int>(title.size()) * line + kGap;
    height += legend.hasRange ? kBarHeight : line;
  }
  if (legend.coverage) {
    if (legend.separation) height += kGap;
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
    for (const QString& part : title) {
      painter.drawText(QRect(left, top, width, line), Qt::AlignLeft | Qt::AlignVCenter, fit(part, width));
      top += line;
    }
    top += kGap;
    if (legend.hasRange) {
      // The high end at the top, one pixel row per step of the scale's height.
      for (int y = 0; y < kBarHeight; ++y) {
        const CRgb c = CColourScale::At(1.0 - static_cast<double>(y) / (kBarHeight - 1));
        painter.fillRect(left, top + y, kBarWidth, 1, QColor(c.r, c.g, c.b));
      }
      const int text = left + kBarWidth + kGap, room = width - kBarWidth - kGap;
      painter.drawText(QRect(text, top, room, line), Qt::AlignLeft | Qt::AlignTop, fit(legend.maxText, room));
      painter.drawText(QRect(text, top + kBarHeight - line, room, line), Qt::AlignLeft | Qt::AlignBottom,
                       fit(legend.minText, room));
      top += kBarHeight;
    } else {
      painter.drawText(QRect(left, top, width, line), Qt::AlignLeft | Qt::AlignVCenter, fit(NoGridText(), width));
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
    const int room = width - kBarWidth - kGap;
    painter.drawText(QRect(left + kBarWidth + kGap, top, room, line), Qt::AlignLeft | Qt::AlignVCenter,
                     fit(CoverageText(), room));
  }
  painter.restore();
  return box;
}
