#include "marevert/Batch.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "api/ApiSupport.h"
#include "core/batch/BatchReferences.h"
#include "core/batch/FileProc.h"
#include "core/common/PathUtil.h"
#include "core/files/FileBase.h"

namespace marevert {

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(50);

// The handlers belong to the process-wide factory and keep state while a file is
// transformed: one batch at a time.
std::mutex g_batchMutex;

// Hands the job's notifications from the worker thread to the calling thread, the
// handlers' percentage of the file in hand turned into the batch's: files finished ×
// 100 plus that percentage, over the file count. Every new value is kept until the
// calling thread has taken it, so each file's start and end reach the caller however
// fast the file went.
class CBatchWindow final : public CProcessWindow {
 public:
  void OnProcessProgress(unsigned percent) override {
    std::lock_guard<std::mutex> lock(m_mutex);
    Push(m_done * 100 + std::min(percent, 100u));
  }
  void OnProcessText() override {}
  void OnProcessDone() override {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_finished = true;
    m_wake.notify_one();
  }
  // From the worker thread, as the batch moves to its next file.
  void OnFileStep(std::size_t done, std::size_t count) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_done = done;
    m_count = count;
    Push(done * 100);
  }
  // Waits up to one poll interval for news; false once the job has ended. The
  // percentages reported since the last call go to `percents`, oldest first.
  bool Wait(std::vector<unsigned>& percents) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_wake.wait_for(lock, kPollInterval, [this] { return m_finished || !m_pending.empty(); });
    percents.swap(m_pending);
    m_pending.clear();
    return !m_finished;
  }

 private:
  // `share`: the batch's progress in hundredths of a file. Only rising values are
  // passed on; an empty batch is complete at once.
  void Push(std::size_t share) {
    const unsigned percent = m_count ? static_cast<unsigned>(share / m_count) : 100u;
    if (m_reported && percent <= m_last) return;
    m_reported = true;
    m_last = percent;
    m_pending.push_back(percent);
    m_wake.notify_one();
  }

  std::mutex m_mutex;
  std::condition_variable m_wake;
  std::size_t m_done = 0, m_count = 0;
  std::vector<unsigned> m_pending;
  unsigned m_last = 0;
  bool m_reported = false, m_finished = false;
};

}  // namespace

CBatchResult TransformFiles(const std::vector<std::string>& paths, const CGrid* grid, const CBatchOptions& options) {
  EnsureSharedObjects();
  CheckZone(options.zone);
  CBatchReferences references;
  if (options.blockShift) {
    references.SetBlockShift(*options.blockShift);
  } else {
    if (const std::string refused = references.SetListed(options.from, options.to); !refused.empty())
      throw CError(refused);
    if (!grid) throw CError("A grid is needed unless a block shift is given");
  }

  std::vector<std::string> files;
  files.reserve(paths.size());
  for (const std::string& path : paths) files.push_back(AbsolutePath(path));

  const std::lock_guard<std::mutex> batchLock(g_batchMutex);
  CFileProc job(grid ? &CGridAccess::Model(*grid) : nullptr, &files, references.Input(), references.Output(),
                options.zone);
  job.SetSign(SignFactor(options.sign));
  job.SetWriteApplicationLog(false);  // the program folder here is the calling program's
  CBatchWindow window;
  job.SetWindow(&window);
  job.SetFileStep([&window](std::size_t done, std::size_t count) { window.OnFileStep(done, count); });
  CRecordingMessenger messages;
  std::thread worker([&] {
    const CScopedThreadMessenger scope(&messages);
    ProcessThreadEntry(&job);
  });

  // Callbacks run here, on the calling thread; one that throws cancels the batch, and
  // its exception follows once the batch has wound down.
  std::exception_ptr failure;
  std::vector<unsigned> percents;
  for (bool running = true; running;) {
    running = window.Wait(percents);
    if (failure) continue;
    try {
      if (options.progress)
        for (unsigned percent : percents) options.progress(percent);
      if (running && options.cancel && options.cancel()) job.SetCancel(true);
    } catch (...) {
      failure = std::current_exception();
      job.SetCancel(true);
    }
  }
  worker.join();
  if (failure) std::rethrow_exception(failure);

  CBatchResult result;
  for (const CFileProc::FileOutcome& outcome : job.GetFileOutcomes())
    result.files.push_back({outcome.path, outcome.format, outcome.result == kFileDone, outcome.message,
                            outcome.transformed, outcome.outside});
  result.summary = job.GetSummary();
  if (!result.summary.empty()) result.logPath = result.summary.back();
  result.filesOk = job.GetFilesOk();
  result.filesWithErrors = job.GetFilesWithErrors();
  result.cancelled = job.IsCancelled();
  return result;
}

}  // namespace marevert
