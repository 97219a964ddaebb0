// The two-buffer loop: blocks are written in the order read, each after all its pieces;
// a write or read that fails ends the pass with its result, the blocks before it written
// and none after, and no piece still running.

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

TEST(BlockPipelineTest, WritesInOrderAndStopsAtAFailedReadOrWrite) {
  const struct {
    int blocks, failRead, failWrite;
    FileResult result;
    const char* events;
  } cases[] = {
      {1, -1, -1, kFileDone, "r0 w0 "},
      {5, -1, -1, kFileDone, "r0 r1 w0 r2 w1 r3 w2 r4 w3 w4 "},  // block k + 1 is read after k - 1 is written
      {4, 0, -1, kFileInputError, "r0 "},
      {4, 2, -1, kFileInputError, "r0 r1 w0 r2 "},  // block 1, transformed meanwhile, is not written
      {4, -1, 1, kFileOutputError, "r0 r1 w0 r2 w1 "},
  };
  for (const auto& c : cases) {
    CPipelineRun run(c.blocks, c.failRead, c.failWrite);
    EXPECT_EQ(run.Run(), c.result) << c.events;
    EXPECT_EQ(run.events, c.events);
    // Each block read has had all its pieces done by the time Run returns.
    for (int block = 0; block < run.next; ++block)
      EXPECT_EQ(run.piecesDone[block].load(), block == c.failRead ? 0 : block + 1) << c.events << block;
  }
}

}  // namespace
