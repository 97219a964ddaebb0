#include "gui/qt/FitText.h"

#include <QWidget>
#include <algorithm>

void WidenToContents(QWidget* control, int limit) {
  const int wanted = std::min(control->sizeHint().width(), limit - control->x());
  if (wanted > control->width()) control->resize(wanted, control->height());
}

void PlaceAfterLabels(const QList<QWidget*>& labels, const QList<QWidget*>& controls, int gap) {
  int labelsRight = 0;
  for (QWidget* label : labels) {
    WidenToContents(label);
    labelsRight = std::max(labelsRight, label->x() + label->width());
  }
  int controlsLeft = INT_MAX;
  for (const QWidget* control : controls) controlsLeft = std::min(controlsLeft, control->x());
  const int shift = labelsRight + gap - controlsLeft;
  if (shift <= 0) return;
  for (QWidget* control : controls) control->move(control->x() + shift, control->y());
}
