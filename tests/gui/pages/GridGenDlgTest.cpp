// The grid generation settings dialog: defaults, file choice and the checks on OK.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <ctime>

#include "gui/pages/GridGenDlg.h"

namespace {

struct CShown {
  std::vector<QString> messages;
};

class GridGenDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dlg.SetMessageSink([this](QWidget*, const QString& text) { m_shown.messages.push_back(text); });
    m_dlg.show();
  }
  QLineEdit* Edit(const char* name) { return m_dlg.findChild<QLineEdit*>(QString::fromUtf8(name)); }
  QPushButton* Button(const char* name) { return m_dlg.findChild<QPushButton*>(QString::fromUtf8(name)); }
  QString Label(const char* name) { return m_dlg.findChild<QLabel*>(QString::fromUtf8(name))->text(); }

  CGridGenDlg m_dlg;
  CShown m_shown;
};

TEST_F(GridGenDlgTest, OpensWithTodayZeroVersionsAndSixtySeconds) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  EXPECT_EQ(Edit("day")->text(), QString::number(local.tm_mday));
  EXPECT_EQ(Edit("month")->text(), QString::number(local.tm_mon + 1));
  EXPECT_EQ(Edit("year")->text(), QString::number(local.tm_year + 1900));
  EXPECT_EQ(Edit("major")->text(), "0");
  EXPECT_EQ(Edit("minor")->text(), "0");
  EXPECT_EQ(Edit("gridSize")->text(), "60");
  EXPECT_TRUE(Label("inputName").isEmpty());
  EXPECT_TRUE(Label("outputName").isEmpty());
  EXPECT_EQ(m_dlg.windowTitle(), "Grid generation settings");
}

TEST_F(GridGenDlgTest, OkWithDefaultsAndNoFilesCloses) {
  m_dlg.accept();
  EXPECT_EQ(m_dlg.result(), QDialog::Accepted);
  EXPECT_TRUE(m_shown.messages.empty());
  EXPECT_TRUE(m_dlg.GetInputPath().empty());
  EXPECT_TRUE(m_dlg.GetOutputPath().empty());
  EXPECT_DOUBLE_EQ(m_dlg.GetGridSizeSeconds(), 60.0);
}

TEST_F(GridGenDlgTest, EditsTakeDigitsOnly) {
  for (const char* name : {"day", "month", "year", "major", "minor", "gridSize"}) {
    QLineEdit* edit = Edit(name);
    edit->clear();
    QTest::keyClicks(edit, "-1.5e3 x7");
    EXPECT_EQ(edit->text(), "1537") << name;
  }
}

struct CBadField {
  const char* field;
  const char* text;
  const char* message;
};

// Each field reaches its check (the limits themselves: GridGenLimitsTest).
TEST_F(GridGenDlgTest, RefusesEachBadFieldWithItsMessageAndStaysOpen) {
  const CBadField cases[] = {
      {"day", "32", "Enter an integer between 1 and 31."},
      {"month", "13", "Enter an integer between 1 and 12."},
      {"year", "3001", "Enter an integer between 1970 and 3000."},
      {"major", "", "Enter an integer."},
      {"minor", "99999999999", "Enter an integer."},
      {"gridSize", "0", "Enter a number between 1e-07 and 10000000."},
  };
  for (const CBadField& c : cases) {
    CGridGenDlg dlg;
    std::vector<QString> messages;
    dlg.SetMessageSink([&](QWidget*, const QString& text) { messages.push_back(text); });
    dlg.show();
    QLineEdit* edit = dlg.findChild<QLineEdit*>(QString::fromUtf8(c.field));
    edit->setText(QString::fromUtf8(c.text));
    dlg.accept();
    ASSERT_EQ(messages.size(), 1u) << c.field << " '" << c.text << "'";
    EXPECT_EQ(messages[0], QString::fromUtf8(c.message)) << c.field << " '" << c.text << "'";
    EXPECT_TRUE(dlg.isVisible()) << c.field;
    EXPECT_EQ(dlg.focusWidget(), edit) << c.field;
  }
}

TEST_F(GridGenDlgTest, StopsAtTheFirstBadFieldInOrder) {
  Edit("gridSize")->setText("0");
  Edit("month")->setText("13");
  Edit("year")->setText("1");
  m_dlg.accept();
  ASSERT_EQ(m_shown.messages.size(), 1u);
  EXPECT_EQ(m_shown.messages[0], "Enter an integer between 1 and 12.");
  EXPECT_EQ(m_dlg.focusWidget(), Edit("month"));
  // Corrected, the dialog closes with the new values.
  Edit("month")->setText("3");
  Edit("year")->setText("2024");
  Edit("day")->setText("7");
  Edit("major")->setText("2");
  Edit("minor")->setText("11");
  Edit("gridSize")->setText("30");
  m_dlg.accept();
  EXPECT_EQ(m_dlg.result(), QDialog::Accepted);
  EXPECT_EQ(m_dlg.GetDay(), 7);
  EXPECT_EQ(m_dlg.GetMonth(), 3);
  EXPECT_EQ(m_dlg.GetYear(), 2024);
  EXPECT_EQ(m_dlg.GetMajorVersion(), 2);
  EXPECT_EQ(m_dlg.GetMinorVersion(), 11);
  EXPECT_DOUBLE_EQ(m_dlg.GetGridSizeSeconds(), 30.0);
}

TEST_F(GridGenDlgTest, FileButtonsKeepFullPathAndShowTheName) {
  QString filter;
  m_dlg.SetOpenFileChooser([&](QWidget*, const QString&, const QString& f) {
    filter = f;
    return QStringLiteral("/data/in/points.txt");
  });
  m_dlg.SetSaveFileChooser([](QWidget*, const QString&, const QString&) { return QStringLiteral("/out/new.MRGGrid"); });
  QTest::mouseClick(Button("inputFile"), Qt::LeftButton);
  QTest::mouseClick(Button("outputFile"), Qt::LeftButton);
  EXPECT_EQ(m_dlg.GetInputPath(), "/data/in/points.txt");
  EXPECT_EQ(Label("inputName"), "points.txt");
  EXPECT_TRUE(filter.startsWith("Text grid files (*.txt)"));
  EXPECT_EQ(m_dlg.GetOutputPath(), "/out/new.MRGGrid");
  EXPECT_EQ(Label("outputName"), "new.MRGGrid");

  // A cancelled choice changes nothing.
  m_dlg.SetOpenFileChooser([](QWidget*, const QString&, const QString&) { return QString(); });
  QTest::mouseClick(Button("inputFile"), Qt::LeftButton);
  EXPECT_EQ(m_dlg.GetInputPath(), "/data/in/points.txt");
  EXPECT_EQ(Label("inputName"), "points.txt");
}

TEST_F(GridGenDlgTest, CancelClosesWithoutChecking) {
  Edit("day")->setText("99");
  m_dlg.reject();
  EXPECT_EQ(m_dlg.result(), QDialog::Rejected);
  EXPECT_TRUE(m_shown.messages.empty());
}

}  // namespace
