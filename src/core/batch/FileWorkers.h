#pragma once
// Several files of a batch at once. Worker threads take the files in list order, each
// with a job of its own that its handlers send their percentage to and poll for cancel.
// The calling thread follows them: it shows the files done as the batch job's text
// ("3 of 8 files done") and their share as its percentage, and passes a cancel of the
// batch job on to every running file.

#include <cstddef>
#include <functional>
#include <vector>

#include "core/batch/FileOutcome.h"
#include "core/jobs/ProcessBase.h"

class CFileWorkers {
 public:
  // Transforms file `index` with worker `worker`'s handlers, reporting to `job`.
  using Step = std::function<CFileOutcome(std::size_t index, CProcessBase& job, int worker)>;

  // Runs `step` over files 0 .. count-1 on `workers` threads and returns the outcomes
  // of the files taken, in list order: all of them, or after a cancel those taken
  // before it (no file is started once the batch job is cancelled). `interrupted`
  // tells whether a cancel cut the batch short: it was seen while files were running or
  // left. An exception thrown by a step is passed on once every worker has stopped.
  static std::vector<CFileOutcome> Run(CProcessBase& batch, std::size_t count, int workers, const Step& step,
                                       bool& interrupted);
};
