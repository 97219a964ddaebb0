// The grid file page: details of the shared grid model, loading and cancelling.
#include <gtest/gtest.h>

#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "core/grid/GridInt.h"
#include "gui/pages/DlgGridFile.h"
#include "support/GridFileWriter.h"
#include "support/GuiFixture.h"
#include "support/QtTestUtil.h"
#include "support/TestSupport.h"

namespace {

std::vector<QString> Details(const CGridInt& grid) {
  std::vector<QString> lines;
  for (const std::string& line : grid.GetDetails()) lines.push_back(QString::fromStdString(line));
  return lines;
}

class DlgGridFileTest : public CGuiFixture {
 protected:
  CScratchDir m_dir;
  CGridInt m_grid;
};

TEST_F(DlgGridFileTest, WithoutGridShowsTheNoGridDetails) {
  CDlgGridFile page(&m_grid);
  EXPECT_EQ(ListTexts(page.DetailsList()), std::vector<QString>{"No grid file loaded"});
}

TEST_F(DlgGridFileTest, LoadReplacesTheSharedModelAndShowsItsDetails) {
  const std::string first = m_dir.File("first.MRGGrid");
  const std::string second = m_dir.File("second.MRGGrid");
  WriteOneCellGrid(first, 1);
  WriteOneCellGrid(second, 2);
  m_grid.LoadFile(first);
  ASSERT_TRUE(m_grid.IsLoaded());

  CDlgGridFile page(&m_grid);
  EXPECT_EQ(ListTexts(page.DetailsList()), Details(m_grid));
  EXPECT_EQ(page.DetailsList()->item(0)->text(), "File: first.MRGGrid");

  page.SetFileChooser([&](QWidget*) { return QString::fromStdString(second); });
  QTest::mouseClick(page.findChild<QPushButton*>("load"), Qt::LeftButton);
  EXPECT_EQ(m_grid.GetFilePath(), second);
  EXPECT_EQ(m_grid.GetMajorVersion(), 2);
  EXPECT_EQ(ListTexts(page.DetailsList()), Details(m_grid));
  EXPECT_TRUE(m_messenger.Messages().empty());
}

TEST_F(DlgGridFileTest, CancelledChoiceChangesNothing) {
  const std::string first = m_dir.File("first.MRGGrid");
  WriteOneCellGrid(first, 1);
  m_grid.LoadFile(first);
  CDlgGridFile page(&m_grid);
  const auto before = ListTexts(page.DetailsList());
  int asked = 0;
  page.SetFileChooser([&](QWidget*) {
    ++asked;
    return QString();
  });
  page.OnLoad();
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(m_grid.GetFilePath(), first);
  EXPECT_EQ(ListTexts(page.DetailsList()), before);
}

TEST_F(DlgGridFileTest, FailedLoadShowsWhatTheModelHoldsAfterwards) {
  const std::string good = m_dir.File("good.MRGGrid");
  WriteOneCellGrid(good, 1);
  m_grid.LoadFile(good);
  CDlgGridFile page(&m_grid);

  // A file that cannot be opened keeps the previous grid.
  page.SetFileChooser([&](QWidget*) { return QString::fromStdString(m_dir.File("missing.MRGGrid")); });
  page.OnLoad();
  ASSERT_EQ(m_messenger.Messages().size(), 1u);
  EXPECT_EQ(m_grid.GetFilePath(), good);
  EXPECT_EQ(ListTexts(page.DetailsList()), Details(m_grid));

  // A file that is not a grid ("All Files") leaves no grid.
  const std::string text = m_dir.File("notes.txt");
  WriteFileBytes(text, "this is not a grid file at all, just some words of text\n");
  page.SetFileChooser([&](QWidget*) { return QString::fromStdString(text); });
  page.OnLoad();
  ASSERT_GT(m_messenger.Messages().size(), 1u);
  EXPECT_EQ(m_messenger.Messages().back(), "Failed to load grid file:\n" + text);
  EXPECT_FALSE(m_grid.IsLoaded());
  EXPECT_EQ(ListTexts(page.DetailsList()), std::vector<QString>{"No grid file loaded"});
}

TEST_F(DlgGridFileTest, LongDetailsLineCanBeScrolledIntoView) {
  const std::string path = m_dir.File(std::string(120, 'w') + ".MRGGrid");
  WriteOneCellGrid(path, 1);
  m_grid.LoadFile(path);
  ASSERT_TRUE(m_grid.IsLoaded());
  CDlgGridFile page(&m_grid);
  page.show();
  QApplication::processEvents();
  EXPECT_GT(page.DetailsList()->horizontalScrollBar()->maximum(), 0);
}

}  // namespace
