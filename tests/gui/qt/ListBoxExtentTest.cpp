#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QListWidget>
#include <QScrollBar>

#include "gui/qt/ListBoxExtent.h"

TEST(ListBoxExtent, IsTheWidestLinePlusAnAverageCharacter) {
  QListWidget list;
  EXPECT_EQ(FitListBoxExtent(&list), 0);
  EXPECT_EQ(FitListBoxExtent(nullptr), 0);

  const QString longest = "Records excluded (outside the grid): 1234567";
  list.addItems({"short", longest, "", "medium line"});
  const QFontMetrics metrics(list.font());
  EXPECT_EQ(FitListBoxExtent(&list), metrics.horizontalAdvance(longest) + metrics.averageCharWidth());
}

TEST(ListBoxExtent, HorizontalScrollBarAppearsOnlyWhenALineDoesNotFit) {
  QListWidget list;
  list.addItems({"a", QString(80, 'W'), "b"});
  list.resize(120, 200);
  list.show();
  const int extent = FitListBoxExtent(&list);
  QApplication::processEvents();
  EXPECT_GE(list.horizontalScrollBar()->maximum(), extent - list.viewport()->width() - 2);
  EXPECT_GT(list.horizontalScrollBar()->maximum(), 0);

  list.resize(extent + 200, 200);
  FitListBoxExtent(&list);
  QApplication::processEvents();
  EXPECT_EQ(list.horizontalScrollBar()->maximum(), 0);
}
