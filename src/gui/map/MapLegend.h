#pragma once
// The legend of the coast map's layers, drawn in the lower-left corner of the drawing
// area: one entry for each layer given, top to bottom, in one frame. Its width is fixed
// (kTextChars average characters of text), so that long reference names do not push it
// over the map: a longer line is cut with an ellipsis (the map window's tooltip gives it
// in full).

#include <QColor>
#include <QRect>
#include <QString>
#include <vector>

class CMapLayer;
class QFont;
class QFontMetrics;
class QPainter;

struct CMapLegend {
  static constexpr int kTextChars = 20;
  static constexpr int kSwatchWidth = 14;  // a colour bar or swatch beside its text
  static constexpr int kGap = 4;           // between a swatch and its text, between rows and between entries
};

// Draws the entries of `layers` into the lower-left corner of `area` and returns the box
// it took (empty when none has an entry).
QRect PaintMapLegend(QPainter& painter, const QRect& area, const std::vector<const CMapLayer*>& layers,
                     const QFont& font);

// `text` cut with an ellipsis to `room` pixels.
QString FitLegendText(const QFontMetrics& metrics, const QString& text, int room);
// A one-line entry: a swatch filled with `fill` and outlined with `edge`, then `text`.
void PaintLegendSwatch(QPainter& painter, const QRect& box, const QFontMetrics& metrics, const QColor& fill,
                       const QColor& edge, const QString& text);
