#include "core/batch/FileWorkers.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace {

// How often the calling thread looks at the batch job's cancel flag at the latest.
constexpr auto kFollowInterval = std::chrono::milliseconds(50);

// A worker's view of the batch: the handlers' percentage of the file it is on, and the
// cancel flag the calling thread raises when the batch is cancelled.
class CWorkerJob final : public CProcessBase, public CProcessWindow {
 public:
  CWorkerJob() { SetWindow(this); }
  void Run() override {}
  void OnProcessProgress(unsigned percent) override { m_percent.store(std::min(percent, 100u)); }
  void OnProcessText() override {}
  void OnProcessDone() override {}

  std::atomic<unsigned> m_percent{0};
};

}  // namespace

std::vector<CFileOutcome> CFileWorkers::Run(CProcessBase& batch, std::size_t count, int workers, const Step& step,
                                            bool& interrupted) {
  const auto jobs = std::make_unique<CWorkerJob[]>(static_cast<std::size_t>(workers));
  std::vector<std::optional<CFileOutcome>> outcomes(count);
  std::vector<char> busy(static_cast<std::size_t>(workers), 0);
  std::mutex mutex;  // guards everything below, and `outcomes` and `busy`
  std::condition_variable changed;
  std::size_t next = 0, done = 0;
  int running = 0;
  bool stop = false, cut = false, cancelPassedOn = false;
  std::exception_ptr failure;

  const auto work = [&](int worker) {
    CWorkerJob& job = jobs[static_cast<std::size_t>(worker)];
    for (;;) {
      std::size_t index = 0;
      {
        const std::lock_guard<std::mutex> lock(mutex);
        if (stop || next == count) break;
        if (batch.IsCancelled()) {
          stop = cut = true;
          break;
        }
        index = next++;
        busy[static_cast<std::size_t>(worker)] = 1;
        job.m_percent.store(0);
      }
      std::optional<CFileOutcome> outcome;
      try {
        outcome = step(index, job, worker);
      } catch (...) {
        const std::lock_guard<std::mutex> lock(mutex);
        if (!failure) failure = std::current_exception();
        stop = true;
      }
      // As a batch of one file after another: a cancel seen after a file that reached a
      // handler ends the batch.
      const bool cancelled = outcome && outcome->result != CFileOutcome::kNoHandler && batch.IsCancelled();
      {
        const std::lock_guard<std::mutex> lock(mutex);
        outcomes[index] = std::move(outcome);
        ++done;
        busy[static_cast<std::size_t>(worker)] = 0;
        if (cancelled) stop = cut = true;
      }
      changed.notify_one();
    }
    {
      const std::lock_guard<std::mutex> lock(mutex);
      --running;
    }
    changed.notify_one();
  };

  std::vector<std::thread> threads;
  threads.reserve(static_cast<std::size_t>(workers));
  for (int worker = 0; worker < workers; ++worker) {
    {
      const std::lock_guard<std::mutex> lock(mutex);
      ++running;
    }
    try {
      threads.emplace_back(work, worker);
    } catch (const std::system_error&) {
      // Fewer threads than asked for still do every file; none at all is the caller's.
      const std::lock_guard<std::mutex> lock(mutex);
      --running;
      if (threads.empty()) throw;
      break;
    }
  }

  std::size_t shownDone = count + 1;
  long long shownPercent = -1;
  for (bool finished = false; !finished;) {
    std::size_t doneNow = 0, share = 0;
    bool cancel = false;
    {
      std::unique_lock<std::mutex> lock(mutex);
      changed.wait_for(lock, kFollowInterval);
      finished = running == 0;
      doneNow = done;
      share = done * 100;
      for (int worker = 0; worker < workers; ++worker) {
        if (busy[static_cast<std::size_t>(worker)]) share += jobs[static_cast<std::size_t>(worker)].m_percent.load();
      }
      if (!cancelPassedOn && batch.IsCancelled()) {
        cancelPassedOn = cancel = stop = true;
        if (!finished) cut = true;
      }
    }
    if (cancel) {
      for (int worker = 0; worker < workers; ++worker) jobs[static_cast<std::size_t>(worker)].SetCancel(true);
    }
    // Every change is shown: the files done move the text, which a window draws with the
    // next percentage (and this loop wakes at most once a file and once an interval).
    const long long percent = count ? static_cast<long long>(share / count) : 100;
    if (doneNow != shownDone) batch.SetText(std::to_string(doneNow) + " of " + std::to_string(count) + " files done");
    if (doneNow != shownDone || percent != shownPercent) batch.SetProgress(static_cast<unsigned>(percent));
    shownDone = doneNow;
    shownPercent = percent;
  }
  for (std::thread& thread : threads) thread.join();
  if (failure) std::rethrow_exception(failure);

  interrupted = cut;
  std::vector<CFileOutcome> taken;
  for (std::optional<CFileOutcome>& outcome : outcomes) {
    if (!outcome) break;
    taken.push_back(std::move(*outcome));
  }
  return taken;
}
