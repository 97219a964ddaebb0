// The file transformation page: first-time state, the profile, the file list (no
// duplicates, sorted by name, full paths kept, non-adjacent removal), the checks of
// Process in their order, and batches in both modes.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <memory>

#include "core/files/FilesTestSupport.h"
#include "gui/pages/DlgFileTransform.h"
#include "support/GuiFixture.h"
#include "support/QtTestUtil.h"
#include "support/TestSupport.h"

namespace {

class DlgFileTransformTest : public CGuiFixture {
 protected:
  std::unique_ptr<CDlgFileTransform> MakePage(CGridInt* grid = nullptr) {
    auto page = std::make_unique<CDlgFileTransform>(grid ? grid : &m_noGrid);
    page->SetMessageBox([this](QWidget*, const QString& text) { m_messages.push_back(text.toStdString()); });
    page->SetFilesChooser([this](QWidget*, const QString& folder) {
      m_startFolders.push_back(folder.toStdString());
      return m_nextChoice;
    });
    return page;
  }
  // Adds files through "Add files" as if they were chosen in the file dialog.
  void Add(CDlgFileTransform& page, const std::vector<std::string>& paths) {
    m_nextChoice.clear();
    for (const std::string& path : paths) m_nextChoice.push_back(QString::fromStdString(path));
    page.OnAddFiles();
  }

  CProgramFolder m_program;
  CScratchDir m_dir;
  CGridInt m_noGrid;
  QStringList m_nextChoice;
  std::vector<std::string> m_messages, m_startFolders;
};

TEST_F(DlgFileTransformTest, FirstTimeShowsZone49AndTheFirstReferences) {
  auto page = MakePage();
  EXPECT_EQ(page->GridLine()->text(), "WARNING, no grid file loaded ");
  EXPECT_EQ(page->ZoneCombo()->count(), 8);
  EXPECT_EQ(page->ZoneCombo()->currentText(), "49");
  EXPECT_EQ(page->ZoneCombo()->itemText(7), "56");
  const std::vector<std::string> names = CTransFactory::Instance().GetNames();
  ASSERT_EQ(page->InputCombo()->count(), static_cast<int>(names.size()));
  EXPECT_EQ(page->InputCombo()->currentText().toStdString(), names.front());
  EXPECT_EQ(page->OutputCombo()->currentText().toStdString(), names.front());
  EXPECT_EQ(page->OutputCombo()->itemText(page->OutputCombo()->count() - 1).toStdString(), names.back());
  EXPECT_FALSE(page->BlockShiftCheck()->isChecked());
  EXPECT_EQ(page->BlockShiftHint()->text(), "* Enter a number");  // the empty shift text
  EXPECT_FALSE(page->RemoveButton()->isEnabled());
  EXPECT_FALSE(page->RemoveAllButton()->isEnabled());
  // Reference mode: the reference lists are in use, the shift is not.
  EXPECT_TRUE(page->InputCombo()->isEnabled());
  EXPECT_FALSE(page->BlockShiftEdit()->isEnabled());
}

TEST_F(DlgFileTransformTest, BlockShiftCheckSwapsTheEnabledControlsAndTheHintFollowsTheText) {
  auto page = MakePage();
  page->BlockShiftCheck()->click();
  EXPECT_FALSE(page->InputCombo()->isEnabled());
  EXPECT_FALSE(page->OutputCombo()->isEnabled());
  EXPECT_TRUE(page->ZoneCombo()->isEnabled());
  EXPECT_TRUE(page->BlockShiftEdit()->isEnabled());
  for (const char* good : {"12.5", "-3", "-", ".", "-."}) {
    page->BlockShiftEdit()->setText(good);
    EXPECT_EQ(page->BlockShiftHint()->text(), "") << good;
  }
  for (const char* bad : {"1e3", "+2", "2-", ""}) {
    page->BlockShiftEdit()->setText(bad);
    EXPECT_EQ(page->BlockShiftHint()->text(), "* Enter a number") << bad;
  }
}

TEST_F(DlgFileTransformTest, ChoicesComeBackFromTheProfileButNotTheFiles) {
  {
    auto page = MakePage();
    Add(*page, {m_dir.File("a.xyz")});
    page->ZoneCombo()->setCurrentText("55");
    page->InputCombo()->setCurrentText("MSL");
    page->OutputCombo()->setCurrentText("LAT");
    page->BlockShiftCheck()->click();
    page->BlockShiftEdit()->setText("1.5");
  }
  EXPECT_EQ(m_profile.GetString("File Transform", "Zone", ""), "55");
  EXPECT_EQ(m_profile.GetInt("File Transform", "Use Offset", 0), 1);
  auto page = MakePage();
  EXPECT_EQ(page->ZoneCombo()->currentText(), "55");
  EXPECT_EQ(page->InputCombo()->currentText(), "MSL");
  EXPECT_EQ(page->OutputCombo()->currentText(), "LAT");
  EXPECT_TRUE(page->BlockShiftCheck()->isChecked());
  EXPECT_FALSE(page->InputCombo()->isEnabled());
  EXPECT_EQ(page->BlockShiftEdit()->text(), "1.5");
  EXPECT_EQ(page->FileList()->count(), 0);

  // A stored value that matches no item selects the first one.
  m_profile.WriteString("File Transform", "Zone", "60");
  m_profile.WriteString("File Transform", "From", "msl");  // exact text only
  auto again = MakePage();
  EXPECT_EQ(again->ZoneCombo()->currentText(), "49");
  EXPECT_EQ(again->InputCombo()->currentIndex(), 0);
}

TEST_F(DlgFileTransformTest, AddingKeepsOneLinePerPathSortedByName) {
  auto page = MakePage();
  const std::string b = m_dir.File("b.xyz"), a = m_dir.File("A.xyz"), c = m_dir.File("c.asc");
  const std::string otherB = m_dir.File("sub/b.xyz");
  m_profile.WriteString("File Transform", "Path", "/start/here/");
  Add(*page, {b, a});
  Add(*page, {a, c, b, otherB});
  EXPECT_EQ(m_startFolders, (std::vector<std::string>{"/start/here/", m_dir.Path().string() + "/"}));
  EXPECT_EQ(ListTexts(page->FileList()), (std::vector<QString>{"A.xyz", "b.xyz", "b.xyz", "c.asc"}));
  const std::vector<std::string> paths = page->GetFilePaths();
  ASSERT_EQ(paths.size(), 4u);
  EXPECT_EQ(paths[0], a);
  EXPECT_EQ(paths[3], c);
  EXPECT_TRUE((paths[1] == b && paths[2] == otherB) || (paths[1] == otherB && paths[2] == b));
  // "Path" is the folder of the first path of the set in character order.
  EXPECT_EQ(m_profile.GetString("File Transform", "Path", ""), m_dir.Path().string() + "/");
  EXPECT_TRUE(page->RemoveAllButton()->isEnabled());
  EXPECT_FALSE(page->RemoveButton()->isEnabled());

  // Cancelling the dialog changes nothing.
  m_profile.WriteString("File Transform", "Path", "/kept/");
  Add(*page, {});
  EXPECT_EQ(page->FileList()->count(), 4);
  EXPECT_EQ(m_profile.GetString("File Transform", "Path", ""), "/kept/");
}

TEST_F(DlgFileTransformTest, RemoveTakesExactlyTheSelectedLines) {
  auto page = MakePage();
  Add(*page, {m_dir.File("1.xyz"), m_dir.File("2.xyz"), m_dir.File("3.xyz"), m_dir.File("4.xyz"), m_dir.File("5.xyz")});
  for (int row : {0, 2, 4}) page->FileList()->item(row)->setSelected(true);
  EXPECT_TRUE(page->RemoveButton()->isEnabled());
  page->OnRemove();
  EXPECT_EQ(ListTexts(page->FileList()), (std::vector<QString>{"2.xyz", "4.xyz"}));
  EXPECT_EQ(page->GetFilePaths(), (std::vector<std::string>{m_dir.File("2.xyz"), m_dir.File("4.xyz")}));
  EXPECT_FALSE(page->RemoveButton()->isEnabled());
  page->OnRemoveAll();
  EXPECT_EQ(page->FileList()->count(), 0);
  EXPECT_FALSE(page->RemoveAllButton()->isEnabled());
}

TEST_F(DlgFileTransformTest, ProcessChecksInOrder) {
  CFilesTestGrid testGrid;
  CGridInt grid = *testGrid.Grid();
  CGridInt noGrid;
  auto page = MakePage(&noGrid);

  // Reference mode: the references first (same texts), then the grid, then the list.
  page->OnProcess();
  page->OutputCombo()->setCurrentText("AHD");
  page->OnProcess();
  EXPECT_EQ(m_messages,
            (std::vector<std::string>{"The input and output vertical references must be different",
                                      "No grid file available\nGo to the 'Grid file' tab to load a grid file"}));

  m_messages.clear();
  auto withGrid = MakePage(&grid);
  withGrid->OutputCombo()->setCurrentText("AHD");
  withGrid->OnProcess();
  EXPECT_EQ(m_messages, std::vector<std::string>{"No files for transformation\nUse the 'Add files' button"});

  // Block-shift mode: only the number; same references and no grid do not matter.
  m_messages.clear();
  page->OutputCombo()->setCurrentIndex(page->InputCombo()->currentIndex());
  page->BlockShiftCheck()->click();
  page->BlockShiftEdit()->setText("+2");
  page->OnProcess();
  page->BlockShiftEdit()->setText("-.");
  page->OnProcess();
  EXPECT_EQ(m_messages, (std::vector<std::string>{"Invalid block shift (not a number)",
                                                  "No files for transformation\nUse the 'Add files' button"}));
  EXPECT_TRUE(m_messenger.Entries().empty());  // nothing was started
}

TEST_F(DlgFileTransformTest, BlockShiftBatchRunsWithoutAGrid) {
  const std::string a = m_dir.File("a.xyz");
  WriteFileBytes(a, "100.0 -60.0 1.00\n");
  auto page = MakePage();
  Add(*page, {a});
  page->BlockShiftCheck()->click();
  page->BlockShiftEdit()->setText("-");  // passes the check and shifts by 0
  page->OnProcess();
  EXPECT_TRUE(m_messages.empty());
  EXPECT_EQ(ReadFileBytes(m_dir.File("a_Block Shift_0.00m.xyz")), "100.0 -60.0 1.00\n");
  const auto entries = m_messenger.Entries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].text, "Processing summary");
  EXPECT_NE(ReadFileBytes(m_program.File("Application Log.txt")).find("\tNULL\tBlock Shift\t"), std::string::npos);
  EXPECT_EQ(page->FileList()->count(), 1);  // the list stays as it was
}

// Under a comma-decimal locale a typed "0.5" still shifts by half a metre, and the
// output's name says so with a point.
TEST_F(DlgFileTransformTest, CommaLocaleBlockShiftIsReadAndNamedWithAPoint) {
  const CScopedLocale comma(kCommaLocale);
  const std::string a = m_dir.File("a.xyz");
  WriteFileBytes(a, "100.0 -60.0 1.00\n");
  auto page = MakePage();
  Add(*page, {a});
  page->BlockShiftCheck()->click();
  page->BlockShiftEdit()->setText("0.5");
  page->OnProcess();
  EXPECT_TRUE(m_messages.empty());
  EXPECT_EQ(ReadFileBytes(m_dir.File("a_Block Shift_0.50m.xyz")), "100.0 -60.0 1.50\n");
}

TEST_F(DlgFileTransformTest, ReferenceBatchUsesTheChosenReferencesAndZone) {
  CFilesTestGrid testGrid;
  CGridInt grid = *testGrid.Grid();
  grid.SetFilePath("/grids/test.MRGGrid");
  const std::string a = m_dir.File("a.xyz");
  WriteFileBytes(a, "151.5 -27.5 1.00\n");
  auto page = MakePage(&grid);
  EXPECT_EQ(page->GridLine()->text(), "Grid file: test.MRGGrid");
  Add(*page, {a});
  page->InputCombo()->setCurrentText("MSL");
  page->OutputCombo()->setCurrentText("LAT");
  page->OnProcess();
  EXPECT_TRUE(m_messages.empty());
  EXPECT_EQ(ReadFileBytes(m_dir.File("a_LAT.xyz")), "151.5 -27.5 2.50\n");
  EXPECT_NE(ReadFileBytes(m_program.File("Application Log.txt")).find("\tMSL\tLAT\tGeneric text\t1\ttest.MRGGrid\t1\n"),
            std::string::npos);
}

}  // namespace
