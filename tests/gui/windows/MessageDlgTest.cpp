#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>

#include "gui/windows/MessageDlg.h"
#include "support/GuiFixture.h"
#include "support/QtTestUtil.h"

namespace {

std::vector<std::string> ManyLines(int count) {
  std::vector<std::string> lines;
  for (int i = 0; i < count; ++i) lines.push_back(i == 3 ? "" : "Line " + std::to_string(i));
  return lines;
}

// An empty profile keeps the placements.
using MessageDlg = CGuiFixture;

}  // namespace

TEST_F(MessageDlg, ListsTheLinesInOrderStartingAtTheTop) {
  const std::vector<std::string> lines = ManyLines(300);
  CMessageDlg dialog("Grid summary", &lines);
  dialog.show();
  QApplication::processEvents();
  EXPECT_EQ(dialog.windowTitle(), "Grid summary");
  QListWidget* list = dialog.List();
  ASSERT_EQ(list->count(), 300);
  EXPECT_EQ(list->item(0)->text(), "Line 0");
  EXPECT_EQ(list->item(3)->text(), "");  // empty lines stay as empty rows
  EXPECT_EQ(list->item(299)->text(), "Line 299");
  EXPECT_GT(list->verticalScrollBar()->maximum(), 0);
  EXPECT_EQ(list->verticalScrollBar()->value(), 0);
  EXPECT_EQ(list->indexAt(QPoint(2, 2)).row(), 0);
  EXPECT_TRUE(dialog.CloseButton()->isVisible());

  CMessageDlg empty("Processing summary", nullptr);
  EXPECT_EQ(empty.List()->count(), 0);
  EXPECT_EQ(empty.Extent(), 0);
}

TEST_F(MessageDlg, ResizingCentresCloseAtTheBottomAndFillsTheRestWithTheList) {
  const std::vector<std::string> lines = {"Grid file written", std::string(120, 'W'), "done"};
  CMessageDlg dialog("Grid summary", &lines);
  dialog.show();
  const QSize button = dialog.CloseButton()->size();
  for (const QSize size : {QSize(401, 301), QSize(640, 200), QSize(157, 99)}) {
    dialog.resize(size);
    QApplication::processEvents();
    const int W = dialog.width(), H = dialog.height();
    EXPECT_EQ(dialog.CloseButton()->size(), button);
    EXPECT_EQ(dialog.CloseButton()->pos(), QPoint(W / 2 - button.width() / 2, H - button.height())) << W << "x" << H;
    EXPECT_EQ(dialog.List()->geometry(), QRect(0, 0, W, H - button.height()));
  }
  // Narrower than the longest line: the horizontal scroll bar can reach its end.
  const QFontMetrics metrics(dialog.List()->font());
  EXPECT_EQ(dialog.Extent(), metrics.horizontalAdvance(QString(120, 'W')) + metrics.averageCharWidth());
  EXPECT_GT(dialog.List()->horizontalScrollBar()->maximum(), 0);
  dialog.resize(dialog.Extent() + 100, 300);
  QApplication::processEvents();
  EXPECT_EQ(dialog.List()->horizontalScrollBar()->maximum(), 0);
}

TEST_F(MessageDlg, CloseAndEscapeEndItAndPlacementIsKeptPerTitle) {
  const std::vector<std::string> lines = {"one"};
  {
    CMessageDlg dialog("Grid summary", &lines);
    dialog.show();
    dialog.setGeometry(50, 60, 500, 300);
    dialog.CloseButton()->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
  }
  {
    // Back where it was and exactly as large, though placed before its frame exists.
    CMessageDlg again("Grid summary", &lines);
    again.show();
    QApplication::processEvents();
    EXPECT_EQ(again.geometry(), QRect(50, 60, 500, 300));
    PressKey(&again, Qt::Key_Escape);
    EXPECT_FALSE(again.isVisible());
  }
  // Another title keeps its own placement: none yet, so centred with the template size.
  CMessageDlg other("Processing summary", &lines);
  EXPECT_EQ(other.pos(), ScreenCentreFor(other.frameGeometry().size()));
  EXPECT_NE(other.size(), QSize(500, 300));

  // A placement left off the screen centres the window next time.
  m_profile.WriteInt("Grid summary", "Wnd Left", 5000);
  m_profile.WriteInt("Grid summary", "Wnd Right", 5500);
  CMessageDlg offScreen("Grid summary", &lines);
  EXPECT_EQ(offScreen.pos(), ScreenCentreFor(offScreen.frameGeometry().size()));
}
