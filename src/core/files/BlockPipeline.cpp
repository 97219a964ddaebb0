#include "core/files/BlockPipeline.h"

#include "core/jobs/SharedJob.h"

FileResult CBlockPipeline::Run(const Stages& stages) {
  int current = 0;  // the buffer being transformed
  const auto transform = [&](std::size_t piece, int part) { stages.transform(current, piece, part); };
  // Declared after everything its pieces use, so that on an early return it stops
  // (skipping the pieces not yet taken) before any of that goes away.
  CSharedJob job;
  const ReadResult firstRead = stages.read(current);
  if (firstRead.failure != kFileDone) return firstRead.failure;
  bool more = firstRead.more;
  for (bool first = true;; first = false) {
    const int previous = 1 - current;  // holds the block before, not yet written
    job.Start(stages.pieces(current), transform);
    FileResult stop = first ? kFileDone : stages.write(previous);
    bool moreAfterNext = false;
    if (stop == kFileDone && more) {
      const ReadResult next = stages.read(previous);
      moreAfterNext = next.more;
      stop = next.failure;
    }
    job.Finish();
    if (stop != kFileDone) return stop;
    if (!more) return stages.write(current);
    current = previous;
    more = moreAfterNext;
  }
}
