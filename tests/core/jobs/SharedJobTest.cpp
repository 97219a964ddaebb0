// The shared job: every piece done exactly once whichever thread takes it, errors passed
// on, and a job cut short when the object goes away mid-job.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

#include "core/jobs/SharedJob.h"

TEST(SharedJobTest, DoesEveryPieceOnceOverManyJobs) {
  for (const bool useHelper : {true, false}) {
    CSharedJob job(useHelper);
    std::atomic<int> helperPieces{0};
    for (std::size_t count : {0u, 1u, 2u, 7u, 300u, 5000u}) {
      for (int round = 0; round < 20; ++round) {
        std::vector<std::atomic<int>> done(count);
        job.Start(count, [&](std::size_t piece, int part) {
          done[piece].fetch_add(1);
          if (part == 1) helperPieces.fetch_add(1);
        });
        // The calling thread is busy elsewhere for a moment, as a file handler would be.
        if (round % 2) std::this_thread::sleep_for(std::chrono::microseconds(50));
        job.Finish();
        for (std::size_t i = 0; i < count; ++i) ASSERT_EQ(done[i].load(), 1) << count << " piece " << i;
      }
    }
    if (!useHelper) {
      EXPECT_EQ(helperPieces.load(), 0);
    }
  }
}

TEST(SharedJobTest, PassesOnAPiecesErrorAfterTheOtherPieces) {
  for (const bool useHelper : {true, false}) {
    CSharedJob job(useHelper);
    std::atomic<int> done{0};
    job.Start(1000, [&](std::size_t piece, int) {
      if (piece == 500) throw std::runtime_error("piece 500");
      done.fetch_add(1);
    });
    EXPECT_THROW(job.Finish(), std::runtime_error);
    EXPECT_EQ(done.load(), 999);
    // The next job starts clean.
    job.Start(10, [&](std::size_t, int) { done.fetch_add(1); });
    EXPECT_NO_THROW(job.Finish());
    EXPECT_EQ(done.load(), 1009);
  }
}

TEST(SharedJobTest, GoingAwayMidJobSkipsThePiecesNotTaken) {
  std::atomic<int> done{0};
  {
    CSharedJob job(true);
    job.Start(1000, [&](std::size_t, int) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      done.fetch_add(1);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_GT(done.load(), 0);
  EXPECT_LT(done.load(), 1000);
}
