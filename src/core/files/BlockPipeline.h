#pragma once
// The two-buffer loop of the streaming handlers: a file goes through in blocks, and
// while block k is transformed (in pieces, shared with a helper thread that this
// thread joins once it is done with the files), this thread writes block k-1 and reads
// block k+1 into the buffer that held it. Blocks are written in order; what a block
// holds and how it is read, transformed and written is the caller's.

#include <cstddef>
#include <functional>

#include "core/files/FileBase.h"

class CBlockPipeline {
 public:
  // What the read stage answers: whether another block follows the one it read, or,
  // from Failed, the result that ends the pass because the block could not be read (the
  // blocks before it are still written; this one is neither transformed nor written).
  // A stage that cannot fail answers a bool.
  struct ReadResult {
    ReadResult(bool more) : more(more) {}  // NOLINT(google-explicit-constructor)
    ReadResult(FileResult) = delete;       // a failure goes through Failed, never as "more"
    static ReadResult Failed(FileResult result) {
      ReadResult failed(false);
      failed.failure = result;
      return failed;
    }
    bool more;
    FileResult failure = kFileDone;
  };

  // Each stage is told which of the two buffers (0 or 1) it works on.
  struct Stages {
    // Fills the buffer with the next block.
    std::function<ReadResult(int buffer)> read;
    // The pieces of a block read, and one of them done by thread `part` (0 this
    // thread, 1 the helper; see CSharedJob). Pieces of one block run at once.
    std::function<std::size_t(int buffer)> pieces;
    std::function<void(int buffer, std::size_t piece, int part)> transform;
    // Writes a transformed block; anything but kFileDone ends the pass with that result.
    std::function<FileResult(int buffer)> write;
  };

  // Runs every block through the stages: kFileDone when the last block was written,
  // else the result that stopped the pass (a write's, or a failed read's). Every piece
  // started has finished when Run returns; an exception from a piece is passed on once
  // the block being written with it is done.
  static FileResult Run(const Stages& stages);
};
