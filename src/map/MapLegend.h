#pragma once
// The legend of the coast map's grid layers, drawn in the lower-left corner of the
// drawing area: the separation's colour scale with the range on screen, and the
// coverage tint.

#include <QColor>
#include <QRect>
#include <QString>

class QFont;
class QPainter;

struct CMapLegend {
  bool separation = false;
  QString title;  // the separation's references and unit, "LAT → AHD (m)"
  bool hasRange = false;
  QString minText, maxText;  // the range's ends as shown
  bool coverage = false;
  QColor coverageFill, coverageEdge;
};

// Draws `legend` into the lower-left corner of `area` and returns the box it took (empty
// when neither layer is on).
QRect PaintMapLegend(QPainter& painter, const QRect& area, const CMapLegend& legend, const QFont& font);
