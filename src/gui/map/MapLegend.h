#pragma once
// The legend of the coast map's grid layers, drawn in the lower-left corner of the
// drawing area: the separation's colour scale with the range on screen, and the
// coverage tint. Its width is fixed (kTextChars average characters of text), so that
// long reference names do not push it over the map: a longer line is cut with an
// ellipsis (the map window's tooltip gives it in full).

#include <QColor>
#include <QRect>
#include <QString>
#include <QStringList>

class QFont;
class QPainter;

struct CMapLegend {
  static constexpr int kTextChars = 20;

  bool separation = false;
  QStringList title;  // the separation's references and unit: "AHD", "above LAT (m)", on one line if they fit
  bool hasRange = false;
  QString minText, maxText;  // the range's ends as shown
  bool coverage = false;
  QColor coverageFill, coverageEdge;
};

// Draws `legend` into the lower-left corner of `area` and returns the box it took (empty
// when neither layer is on).
QRect PaintMapLegend(QPainter& painter, const QRect& area, const CMapLegend& legend, const QFont& font);
