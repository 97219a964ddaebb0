// Start-up mode selection from the command line, and the grid-building mode: the
// settings of the dialog reach the generation job, which runs under the progress
// window's caption with Cancel and shows its summary.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "core/grid/GridInt.h"
#include "core/jobs/ProcessBase.h"
#include "gui/app/MarevertApp.h"
#include "gui/pages/GridGenDlg.h"
#include "support/GuiFixture.h"
#include "support/TestSupport.h"

namespace {

using EMode = CMarevertApp::EMode;

TEST(MarevertAppMode, OnlyTheExactSingleArgumentBuildsAGrid) {
  EXPECT_EQ(CMarevertApp::SelectMode({"-grid"}), EMode::GridBuilding);
  // Case, blanks, another switch character or more arguments start the main window.
  for (const QStringList& arguments :
       {QStringList{}, QStringList{"-GRID"}, QStringList{"-Grid"}, QStringList{"-grid "}, QStringList{" -grid"},
        QStringList{"/grid"}, QStringList{"--grid"}, QStringList{"grid"}, QStringList{"-grid", "x.txt"},
        QStringList{"-grid", ""}, QStringList{""}})
    EXPECT_EQ(CMarevertApp::SelectMode(arguments), EMode::Normal) << arguments.join('|').toStdString();
}

TEST(MarevertAppMode, DisplayIsFoundFromTheEnvironment) {
  const QByteArray display = qgetenv("DISPLAY"), wayland = qgetenv("WAYLAND_DISPLAY"),
                   platform = qgetenv("QT_QPA_PLATFORM");
  qunsetenv("DISPLAY");
  qunsetenv("WAYLAND_DISPLAY");
  qunsetenv("QT_QPA_PLATFORM");
  EXPECT_FALSE(CMarevertApp::HasDisplay());
  qputenv("QT_QPA_PLATFORM", "offscreen");
  EXPECT_TRUE(CMarevertApp::HasDisplay());
  qunsetenv("QT_QPA_PLATFORM");
  qputenv("DISPLAY", ":5");
  EXPECT_TRUE(CMarevertApp::HasDisplay());
  auto restore = [](const char* name, const QByteArray& value) {
    if (value.isNull())
      qunsetenv(name);
    else
      qputenv(name, value);
  };
  restore("DISPLAY", display);
  restore("WAYLAND_DISPLAY", wayland);
  restore("QT_QPA_PLATFORM", platform);
}

}  // namespace

namespace {

class CRecordingRunner : public CJobRunner {
 public:
  void RunModal(CProcessBase& job, const std::string& caption, bool allowCancel) override {
    m_caption = caption;
    m_allowCancel = allowCancel;
    m_cancelledAtStart = job.IsCancelled();
    CThreadJobRunner(false).RunModal(job, caption, allowCancel);
  }
  std::string m_caption;
  bool m_allowCancel = false;
  bool m_cancelledAtStart = true;
};

class GridBuildingTest : public CGuiFixture {
 protected:
  void Fill(CGridGenDlg& dlg, const std::string& input, const std::string& output) {
    dlg.SetOpenFileChooser([&](QWidget*, const QString&, const QString&) { return QString::fromStdString(input); });
    dlg.SetSaveFileChooser([&](QWidget*, const QString&, const QString&) { return QString::fromStdString(output); });
    QTest::mouseClick(dlg.findChild<QPushButton*>("inputFile"), Qt::LeftButton);
    QTest::mouseClick(dlg.findChild<QPushButton*>("outputFile"), Qt::LeftButton);
    const std::pair<const char*, const char*> fields[] = {{"day", "7"},   {"month", "3"}, {"year", "2024"},
                                                          {"major", "2"}, {"minor", "5"}, {"gridSize", "60"}};
    for (const auto& [name, text] : fields) dlg.findChild<QLineEdit*>(name)->setText(text);
    dlg.accept();
    ASSERT_EQ(dlg.result(), QDialog::Accepted);
  }

  // A text grid of one 60-second cell at 12.5 S, 130.25 E, after a header line.
  std::string WriteCell() const {
    const std::string input = m_dir.File("cell.txt");
    std::string text = "lat lon and fourteen surfaces\n";
    for (const char* position :
         {"-12.5 130.25", "-12.5 130.2666666666667", "-12.4833333333333 130.25", "-12.4833333333333 130.2666666666667"})
      text += std::string(position) + " -1 -0.8 -0.7 -0.6 -0.5 -0.4 0 0.1 0.3 0.4 0.5 0.6 0.7 0.9\n";
    WriteFileBytes(input, text);
    return input;
  }

  CScratchDir m_dir;
  CRecordingRunner m_recorder;  // in place of the fixture's runner
  CScopedJobRunner m_scopedRecorder{&m_recorder};
};

// Under a comma-decimal locale, so that the summary shows its decimal points there too.
TEST_F(GridBuildingTest, DialogSettingsBuildTheGridUnderTheProgressCaption) {
  const CScopedLocale comma(kCommaLocale);
  const std::string output = m_dir.File("cell.MRGGrid");
  CGridGenDlg dlg;
  Fill(dlg, WriteCell(), output);
  CMarevertApp::BuildGrid(dlg);

  EXPECT_EQ(m_recorder.m_caption, "Building grid file");
  EXPECT_TRUE(m_recorder.m_allowCancel);
  EXPECT_FALSE(m_recorder.m_cancelledAtStart);
  const auto entries = m_messenger.Entries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].text, "Grid summary");
  EXPECT_EQ(entries[0].lines,
            (std::vector<std::string>{
                "Date (D/M/Y): 7/3/2024", "Major version: 2", "Minor version: 5", "Grid size (seconds): 60.00000",
                "Minimum lat, lon (decimal degrees): -12.5000000000, 130.2500000000",
                "Maximum lat, lon (decimal degrees): -12.4833333333, 130.2666666667", "Invalid data lines: 1",
                "Points not compliant with grid: 0", "Duplicate points: 0", "Points used: 4"}));

  CGridInt grid;
  grid.LoadFile(output);
  ASSERT_TRUE(grid.IsLoaded());
  EXPECT_EQ(grid.GetYear(), 2024);
  EXPECT_EQ(grid.GetMonth(), 3);
  EXPECT_EQ(grid.GetDay(), 7);
  EXPECT_EQ(grid.GetMajorVersion(), 2);
  EXPECT_EQ(grid.GetMinorVersion(), 5);
  EXPECT_EQ(grid.GetRowCount(), 2u);
}

TEST_F(GridBuildingTest, OkWithoutFilesLetsTheJobReportTheEmptyInputPath) {
  CGridGenDlg dlg;
  dlg.accept();
  ASSERT_EQ(dlg.result(), QDialog::Accepted);
  CMarevertApp::BuildGrid(dlg);
  EXPECT_EQ(m_messenger.Messages(), std::vector<std::string>{"Cannot open file: \n"});
}

}  // namespace
