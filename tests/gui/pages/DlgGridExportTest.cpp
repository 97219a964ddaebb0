// "Export for PROJ..." on the grid file page: the choice dialog, and the export run
// from the page up to its summary.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <filesystem>

#include "core/grid/GridInt.h"
#include "core/trans/TransFactory.h"
#include "gui/pages/DlgGridExport.h"
#include "gui/pages/DlgGridFile.h"
#include "support/GridFileWriter.h"
#include "support/GuiFixture.h"
#include "support/TestSupport.h"

namespace {

TEST(DlgGridExport, ChoicesGiveTheDefinition) {
  CDlgGridExport heights(1.0);
  EXPECT_EQ(heights.findChild<QLabel*>("convention")->text(),
            "Values are heights, positive up (the main window's choice).");
  EXPECT_FALSE(heights.SurfaceBox()->isEnabled());
  const CShiftGridDefinition latToAhd = heights.GetDefinition();
  EXPECT_EQ(latToAhd.GetFromName(), "LAT");
  EXPECT_EQ(latToAhd.GetToName(), "AHD");
  EXPECT_EQ(latToAhd.GetMultiplier(), 1.0);

  CDlgGridExport depths(-1.0);
  depths.SurfaceButton()->setChecked(true);
  EXPECT_TRUE(depths.SurfaceBox()->isEnabled());
  EXPECT_FALSE(depths.FromBox()->isEnabled());
  // Surfaces only: the GDA94 ellipsoid is not offered, the GDA2020 one is (its height
  // above the GDA94 one).
  EXPECT_EQ(depths.SurfaceBox()->count(), 15);
  EXPECT_EQ(depths.SurfaceBox()->itemText(14), "Ellipsoid (GDA2020)");
  EXPECT_EQ(depths.FromBox()->count(), 16);
  depths.SurfaceBox()->setCurrentText("MSL");
  const CShiftGridDefinition msl = depths.GetDefinition();
  EXPECT_EQ(msl.GetKind(), CShiftGridDefinition::Kind::GeographicToVertical);
  EXPECT_EQ(msl.GetAddSurface(), 7);
  EXPECT_EQ(msl.GetMultiplier(), 1.0);  // ellipsoidal depths to MSL depths
}

class GridFilePageExportTest : public CGuiFixture {
 protected:
  void SetUp() override { WriteOneCellGrid(m_dir.File("cell.MRGGrid")); }
  CScratchDir m_dir;
  CGridInt m_grid;
};

TEST_F(GridFilePageExportTest, WritesTheChosenFileAndShowsThePipeline) {
  CDlgGridFile page(&m_grid);
  ASSERT_NE(page.ExportButton(), nullptr);
  EXPECT_FALSE(page.ExportButton()->isEnabled());  // no grid yet
  m_grid.LoadFile(m_dir.File("cell.MRGGrid"));
  page.LoadDetails();
  EXPECT_TRUE(page.ExportButton()->isEnabled());

  const std::string path = m_dir.File("LAT_to_AHD.gtx");
  QString suggested;
  std::vector<std::string> summary;
  std::string pipeline;
  CDlgGridFile::ExportHooks hooks;
  hooks.chooseDefinition = [](QWidget*, double sign) {
    return std::optional(CShiftGridDefinition::Between(*CTransFactory::Instance().Find("LAT"),
                                                       *CTransFactory::Instance().Find("AHD"), sign));
  };
  hooks.chooseFile = [&](QWidget*, const QString& name) {
    suggested = name;
    return QString::fromStdString(path);
  };
  hooks.showSummary = [&](QWidget*, const std::vector<std::string>& lines, const std::string& text) {
    summary = lines;
    pipeline = text;
  };
  page.SetExportHooks(hooks);
  QTest::mouseClick(page.ExportButton(), Qt::LeftButton);
  EXPECT_EQ(suggested, "LAT_to_AHD.tif");
  EXPECT_TRUE(std::filesystem::exists(path));
  ASSERT_FALSE(summary.empty());
  EXPECT_EQ(summary[0], "Written: " + path);
  EXPECT_EQ(pipeline, "+proj=vgridshift +grids=" + path + " +multiplier=1");
  EXPECT_TRUE(m_messenger.Messages().empty());
}

TEST_F(GridFilePageExportTest, CancelOrAnUnknownExtensionWritesNothing) {
  m_grid.LoadFile(m_dir.File("cell.MRGGrid"));
  CDlgGridFile page(&m_grid);
  int files = 0, summaries = 0;
  std::optional<CShiftGridDefinition> choice;
  CDlgGridFile::ExportHooks hooks;
  hooks.chooseDefinition = [&](QWidget*, double) { return choice; };
  hooks.chooseFile = [&](QWidget*, const QString&) {
    ++files;
    return QString::fromStdString(m_dir.File("out.xyz"));
  };
  hooks.showSummary = [&](QWidget*, const std::vector<std::string>&, const std::string&) { ++summaries; };
  page.SetExportHooks(hooks);
  page.OnExport();  // the choice dialog cancelled: no file asked for
  EXPECT_EQ(files, 0);
  choice = CShiftGridDefinition::Surface(*CTransFactory::Instance().Find("AHD"), 1.0);
  page.OnExport();
  EXPECT_EQ(files, 1);
  EXPECT_EQ(summaries, 0);
  EXPECT_EQ(
      m_messenger.Messages(),
      std::vector<std::string>{"Give the file the extension .tif (GeoTIFF) or .gtx (GTX):\n" + m_dir.File("out.xyz")});
  EXPECT_FALSE(std::filesystem::exists(m_dir.File("out.xyz")));
}

}  // namespace
