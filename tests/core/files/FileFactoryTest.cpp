// Format detection by content, the handler order, output naming and the shared
// per-point step.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "FilesTestSupport.h"
#include "core/files/FileFactory.h"
#include "core/files/FileText.h"
#include "support/TestSupport.h"

namespace {

std::string Detect(const CScratchDir& dir, const std::string& name, const std::string& bytes) {
  WriteFileBytes(dir.File(name), bytes);
  CFileBase* handler = CFileFactory::Instance()->FindHandler(dir.File(name));
  return handler ? handler->GetFormatName() : "none";
}

}  // namespace

TEST(FileFactoryTest, HandlersAreAskedInFixedOrder) {
  const auto& handlers = CFileFactory::Instance()->GetHandlers();
  ASSERT_EQ(handlers.size(), 4u);
  EXPECT_EQ(handlers[0]->GetFormatName(), "HTF");
  EXPECT_EQ(handlers[1]->GetFormatName(), "ESRI ASCII Grid");
  EXPECT_EQ(handlers[2]->GetFormatName(), "LAS");
  EXPECT_EQ(handlers[3]->GetFormatName(), "Generic text");
  CFileFactory::Release();
  EXPECT_NE(CFileFactory::Instance(), nullptr);
}

TEST(FileFactoryTest, DetectsByContentNotExtension) {
  CScratchDir dir;
  EXPECT_EQ(Detect(dir, "a.xyz", "HTF HEADER\nHTF VERSION: 2.0\n"), "HTF");
  EXPECT_EQ(Detect(dir, "b.xyz", "NCOLS 3\nNROWS\t2\n"), "ESRI ASCII Grid");
  EXPECT_EQ(Detect(dir, "c.txt", std::string("LASF\0\0\0", 7)), "LAS");
  EXPECT_EQ(Detect(dir, "d.las", "-27.5 153.2 1.0\n"), "Generic text");
  EXPECT_EQ(Detect(dir, "e.las", "153.2,-27.5,1.0\r\n"), "Generic text");
  EXPECT_EQ(Detect(dir, "f.txt", "153.2 , -27.5 , 1.0\n"), "Generic text");
}

TEST(FileFactoryTest, FallsThroughWhenATestFails) {
  CScratchDir dir;
  // Second line not "HTF VERSION:": no handler takes it.
  EXPECT_EQ(Detect(dir, "a.htf", "HTF HEADER\nVERSION 2\n"), "none");
  // A keyword without a blank after it is no token.
  EXPECT_EQ(Detect(dir, "b.asc", "ncols\nnrows 2\n"), "none");
  EXPECT_EQ(Detect(dir, "c.asc", " ncols 3\nnrows 2\n"), "none");
  // A column header line is not three numbers.
  EXPECT_EQ(Detect(dir, "d.txt", "x y z\n1 2 3\n"), "none");
  EXPECT_EQ(Detect(dir, "e.txt", "1 2\n"), "none");
  EXPECT_EQ(Detect(dir, "f.las", "LAS"), "none");
  EXPECT_EQ(Detect(dir, "g.txt", ""), "none");
  EXPECT_EQ(CFileFactory::Instance()->FindHandler(dir.File("missing.txt")), nullptr);
}

TEST(FileFactoryTest, OutputNamesInsertTheShortNameBeforeTheFileNamesDot) {
  const CTransBase* lat = CFilesTestGrid::Lat();
  EXPECT_EQ(CFileBase::MakeOutputName(lat, "/data/survey/run1.xyz"), "/data/survey/run1_LAT.xyz");
  EXPECT_EQ(CFileBase::MakeOutputName(lat, "/data/run.1.xyz"), "/data/run.1_LAT.xyz");
  EXPECT_EQ(CFileBase::MakeOutputName(lat, "C:\\survey\\run1.txt"), "C:\\survey\\run1_LAT.txt");
  CTrans_BlockShift shift(0.5);
  CTrans_NULL none;
  EXPECT_EQ(CFileBase::MakeOutputName(&shift, "/d/run1.xyz"), "/d/run1_Block Shift_0.50m.xyz");
  EXPECT_EQ(CFileBase::MakeOutputName(&none, "/d/run1.xyz"), "/d/run1_NULL.xyz");
  // A dot in a folder name must not send the output into another folder.
  EXPECT_EQ(CFileBase::MakeOutputName(lat, "/data/v1.2/run1"), "");
  EXPECT_EQ(CFileBase::MakeOutputName(lat, "run1"), "");
}

TEST(FileFactoryTest, FileNameWithoutDotGivesOutputError) {
  CFilesTestGrid g;
  CScratchDir dir;
  WriteFileBytes(dir.File("run1"), "153.2 -27.5 1.0\n");
  CFileText handler;
  const CRunResult run = RunHandler(handler, dir.File("run1"), g.Grid(), g.Msl(), g.Lat());
  EXPECT_EQ(run.result, kFileOutputError);
  EXPECT_EQ(run.outside, 0u);
  EXPECT_EQ(run.transformed, 0u);
}

TEST(FileFactoryTest, TransformPointRules) {
  CFilesTestGrid g;
  CFileText handler;  // any handler: the step is shared
  handler.PrepareTransform(g.Msl(), g.Lat());
  double z = 2.0;
  EXPECT_TRUE(handler.TransformPoint(153.0, -27.5, g.Grid(), g.Msl(), 56, g.Lat(), z));
  EXPECT_NEAR(z, 3.5, 1e-6);
  // Map-grid only when both magnitudes exceed 200: an easting with a latitude is a
  // longitude of 500000, outside.
  z = 2.0;
  EXPECT_FALSE(handler.TransformPoint(500000.0, -27.5, g.Grid(), g.Msl(), 56, g.Lat(), z));
  EXPECT_EQ(z, 2.0);
  // Zone 56, central meridian 153: this easting/northing lies near -27.6, 153.
  z = 2.0;
  EXPECT_TRUE(handler.TransformPoint(500000.0, 6950000.0, g.Grid(), g.Msl(), 56, g.Lat(), z));
  const double nan = std::numeric_limits<double>::quiet_NaN();
  z = nan;
  EXPECT_FALSE(handler.TransformPoint(153.0, -27.5, g.Grid(), g.Msl(), 56, g.Lat(), z));
  z = 1.0;
  EXPECT_FALSE(handler.TransformPoint(nan, -27.5, g.Grid(), g.Msl(), 56, g.Lat(), z));

  // Block shift: no grid at all, every point moves by shift x sign.
  CTrans_NULL none;
  CTrans_BlockShift shift(0.5);
  handler.PrepareTransform(&none, &shift);
  z = 2.0;
  EXPECT_TRUE(handler.TransformPoint(0.0, 80.0, nullptr, &none, 56, &shift, z));
  EXPECT_DOUBLE_EQ(z, 2.5);
  // The pair is recognised by display name only in that order.
  handler.PrepareTransform(&shift, &none);
  z = 2.0;
  EXPECT_FALSE(handler.TransformPoint(0.0, 80.0, nullptr, &shift, 56, &none, z));
}

// A parallel batch gives each worker a set of its own: handlers keep per-file state.
TEST(FileFactoryTest, EveryHandlerSetIsFreshIncludingKindsRegisteredLater) {
  CFileFactory factory;
  factory.Register<CFileText>();  // a fifth kind, as another library registers one
  const CFileHandlers first = factory.MakeHandlers(), second = factory.MakeHandlers();
  ASSERT_EQ(first.All().size(), 5u);
  ASSERT_EQ(second.All().size(), 5u);
  for (std::size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(first.All()[i]->GetFormatName(), factory.GetHandlers()[i]->GetFormatName());
    EXPECT_NE(first.All()[i].get(), second.All()[i].get());
    EXPECT_NE(first.All()[i].get(), factory.GetHandlers()[i].get());
  }
}
