#pragma once
// Dialog units, the layout unit of the program's windows: horizontal units are a
// quarter of the font's average character width, vertical units an eighth of its
// height, as the platform the layouts were drawn for computes them.

#include <QFont>
#include <QRect>

class CDialogUnits {
 public:
  explicit CDialogUnits(const QFont& font);
  int X(int units) const;
  int Y(int units) const;
  // A rectangle given as x, y, width, height in dialog units.
  QRect Rect(int x, int y, int width, int height) const;

 private:
  int m_baseX;  // average character width in pixels
  int m_baseY;  // character height in pixels
};
