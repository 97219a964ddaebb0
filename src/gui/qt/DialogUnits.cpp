#include "gui/qt/DialogUnits.h"

#include <QFontMetrics>

CDialogUnits::CDialogUnits(const QFont& font) {
  const QFontMetrics metrics(font);
  // The platform averages the widths of the 52 Latin letters.
  const int letters = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  m_baseX = qMax(1, (letters / 26 + 1) / 2);
  m_baseY = qMax(1, metrics.height());
}

int CDialogUnits::X(int units) const { return (units * m_baseX + 2) / 4; }

int CDialogUnits::Y(int units) const { return (units * m_baseY + 4) / 8; }

QRect CDialogUnits::Rect(int x, int y, int width, int height) const {
  return QRect(X(x), Y(y), X(width), Y(height));
}
