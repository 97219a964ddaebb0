#include "gui/qt/ListBoxExtent.h"

#include <QFontMetrics>
#include <QListWidget>
#include <QScrollBar>

int FitListBoxExtent(QListWidget* list) {
  if (!list) return 0;
  const QFontMetrics metrics(list->font());
  int widest = 0;
  for (int i = 0; i < list->count(); ++i) widest = qMax(widest, metrics.horizontalAdvance(list->item(i)->text()));
  const int extent = list->count() == 0 ? 0 : widest + metrics.averageCharWidth();

  // Every row is as wide as the extent, so the view scrolls horizontally exactly over it.
  const int rowHeight = metrics.height() + 2;
  list->setUniformItemSizes(true);
  for (int i = 0; i < list->count(); ++i) list->item(i)->setSizeHint(QSize(extent, rowHeight));
  list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  list->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  list->doItemsLayout();
  return extent;
}
