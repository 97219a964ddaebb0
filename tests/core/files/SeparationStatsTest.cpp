// The separation a file's transformation applied: exact whatever the order of the
// values and the threads' shares, and gathered by the handlers for every value they
// carry over.

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "FilesTestSupport.h"
#include "core/files/FileText.h"
#include "core/files/SeparationStats.h"
#include "support/TestSupport.h"

namespace {

TEST(SeparationStatsTest, MeanIsTheSameForAnyOrderAndAnySharing) {
  std::mt19937 random(11);
  std::uniform_real_distribution<double> metres(-60.0, 60.0);
  std::vector<double> values(100000);
  long double sum = 0;
  for (double& value : values) sum += value = metres(random);

  CSeparationStats forward, backward, shared[3];
  for (double value : values) forward.Add(value);
  for (auto it = values.rbegin(); it != values.rend(); ++it) backward.Add(*it);
  for (std::size_t i = 0; i < values.size(); ++i) shared[(i * 7919) % 3].Add(values[i]);
  CSeparationStats merged = shared[2];
  merged.Merge(shared[0]);
  merged.Merge(shared[1]);

  for (const CSeparationStats* stats : {&backward, &merged}) {
    EXPECT_EQ(stats->Count(), forward.Count());
    EXPECT_EQ(stats->Min(), forward.Min());
    EXPECT_EQ(stats->Max(), forward.Max());
    EXPECT_EQ(stats->Mean(), forward.Mean());  // to the last bit
  }
  EXPECT_NEAR(forward.Mean(), static_cast<double>(sum / values.size()), 1e-9);
}

TEST(SeparationStatsTest, ValuesBeyondTheFixedRangeStillCount) {
  CSeparationStats stats;
  stats.Add(4e12);
  stats.Add(-0.5);
  stats.Add(1.5);
  EXPECT_EQ(stats.Count(), 3u);
  EXPECT_EQ(stats.Min(), -0.5);
  EXPECT_EQ(stats.Max(), 4e12);
  EXPECT_DOUBLE_EQ(stats.Mean(), (4e12 + 1.0) / 3);
  EXPECT_EQ(CSeparationStats().Count(), 0u);
}

TEST(SeparationStatsTest, HandlerGathersWhatItAppliedToTheValuesCarriedOver) {
  const CFilesTestGrid grid(-1.0);  // depths positive: MSL -> LAT subtracts 1.50
  CScratchDir dir;
  WriteFileBytes(dir.File("a.xyz"), "151.5 -27.5 3.00\n140.0 -27.5 1.00\n152.5 -26.5 4.00\n");
  CFileText handler;
  const CRunResult run = RunHandler(handler, dir.File("a.xyz"), grid.Grid(), grid.Msl(), grid.Lat());
  ASSERT_EQ(run.result, kFileDone);
  const CSeparationStats& stats = handler.GetSeparation();
  EXPECT_EQ(stats.Count(), 2u);  // the point outside the grid is given nothing
  EXPECT_NEAR(stats.Min(), -CFilesTestGrid::kMslToLat, 1e-6);
  EXPECT_EQ(stats.Max(), stats.Min());
  EXPECT_NEAR(stats.Mean(), stats.Min(), 1e-9);

  // The next file starts afresh, also in block-shift mode.
  CTrans_NULL none;
  CTrans_BlockShift shift(0.25);
  ASSERT_EQ(RunHandler(handler, dir.File("a.xyz"), nullptr, &none, &shift).result, kFileDone);
  EXPECT_EQ(handler.GetSeparation().Count(), 3u);
  EXPECT_EQ(handler.GetSeparation().Min(), -0.25);  // a shift up is a depth less
  EXPECT_EQ(handler.GetSeparation().Mean(), -0.25);
}

}  // namespace
