// The two-buffer loop: blocks are written in the order read, each once and after all its
// pieces; a write or read that fails ends the pass with its result, the blocks before it
// written and none after.

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "core/files/BlockPipeline.h"

namespace {

// Blocks 0..count-1, each of `block + 1` pieces; reading block `failRead` or writing
// block `failWrite` fails. What happened is kept as text: "r0 r1 w0 r2 w1 ...".
struct CPipelineRun {
  explicit CPipelineRun(int blocks, int readFails = -1, int writeFails = -1)
      : count(blocks), failRead(readFails), failWrite(writeFails) {}

  int count, failRead, failWrite;
  std::string events;
  std::vector<std::atomic<int>> piecesDone = std::vector<std::atomic<int>>(8);
  int held[2] = {-1, -1};  // the block in each buffer
  int next = 0;

  void Note(char what, int block) {
    events += what;
    events += std::to_string(block);
    events += ' ';
  }

  FileResult Run() {
    CBlockPipeline::Stages stages;
    stages.read = [this](int buffer) -> CBlockPipeline::ReadResult {
      const int block = next++;
      Note('r', block);
      if (block == failRead) return CBlockPipeline::ReadResult::Failed(kFileInputError);
      held[buffer] = block;
      return next < count;
    };
    stages.pieces = [this](int buffer) { return static_cast<std::size_t>(held[buffer] + 1); };
    stages.transform = [this](int buffer, std::size_t, int) { piecesDone[held[buffer]].fetch_add(1); };
    stages.write = [this](int buffer) {
      const int block = held[buffer];
      const bool complete = piecesDone[block].load() == block + 1;
      Note(complete ? 'w' : '!', block);  // '!': written before all its pieces were done
      return block == failWrite ? kFileOutputError : kFileDone;
    };
    return CBlockPipeline::Run(stages);
  }
};

TEST(BlockPipelineTest, WritesEveryBlockInOrderAfterItsPieces) {
  // Reading block k + 1 waits for the write of block k - 1.
  const std::pair<int, const char*> cases[] = {
      {1, "r0 w0 "}, {2, "r0 r1 w0 w1 "}, {5, "r0 r1 w0 r2 w1 r3 w2 r4 w3 w4 "}};
  for (const auto& [count, events] : cases) {
    CPipelineRun run{count};
    EXPECT_EQ(run.Run(), kFileDone);
    EXPECT_EQ(run.events, events) << count;
  }
}

TEST(BlockPipelineTest, AFailedReadOrWriteEndsThePassWithItsResult) {
  CPipelineRun firstRead{4, 0};
  EXPECT_EQ(firstRead.Run(), kFileInputError);
  EXPECT_EQ(firstRead.events, "r0 ");
  EXPECT_EQ(firstRead.piecesDone[0].load(), 0);

  // Block 2 cannot be read: block 0 is written, block 1 (transformed meanwhile) is not.
  CPipelineRun laterRead{4, 2};
  EXPECT_EQ(laterRead.Run(), kFileInputError);
  EXPECT_EQ(laterRead.events, "r0 r1 w0 r2 ");
  EXPECT_EQ(laterRead.piecesDone[1].load(), 2);

  CPipelineRun write{4, -1, 1};
  EXPECT_EQ(write.Run(), kFileOutputError);
  EXPECT_EQ(write.events, "r0 r1 w0 r2 w1 ");
}

}  // namespace
