#include "marevert/Batch.h"

#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

#include "api/ApiSupport.h"
#include "files/FileBase.h"
#include "files/FileProc.h"
#include "trans/TransBase.h"

namespace marevert {

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(50);

// The handlers belong to the process-wide factory and keep state while a file is
// transformed: one batch at a time.
std::mutex g_batchMutex;

// Hands the job's notifications from the worker thread to the calling thread.
class CBatchWindow final : public CProcessWindow {
 public:
  void OnProcessProgress(unsigned percent) override {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_percent = percent;
    m_changed = true;
    m_wake.notify_one();
  }
  void OnProcessText() override {}
  void OnProcessDone() override {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_done = true;
    m_wake.notify_one();
  }
  // Waits up to one poll interval for news; false once the job has ended. A new
  // percentage goes to `percent`, with `changed` set.
  bool Wait(unsigned& percent, bool& changed) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_wake.wait_for(lock, kPollInterval, [this] { return m_done || m_changed; });
    changed = m_changed;
    percent = m_percent;
    m_changed = false;
    return !m_done;
  }

 private:
  std::mutex m_mutex;
  std::condition_variable m_wake;
  unsigned m_percent = 0;
  bool m_changed = false, m_done = false;
};

}  // namespace

CBatchResult TransformFiles(const std::vector<std::string>& paths, const CGrid* grid, const CBatchOptions& options) {
  EnsureSharedObjects();
  CheckZone(options.zone);
  // The references as the command line checks them, with its messages.
  std::optional<CTrans_NULL> nullRef;
  std::optional<CTrans_BlockShift> shiftRef;
  const CTransBase* inputRef = nullptr;
  const CTransBase* outputRef = nullptr;
  if (options.blockShift) {
    inputRef = &nullRef.emplace();
    outputRef = &shiftRef.emplace(*options.blockShift);
  } else {
    inputRef = &FindReference(options.from);
    outputRef = &FindReference(options.to);
    if (inputRef == outputRef) throw CError("The input and output vertical references must be different");
    if (!grid) throw CError("A grid is needed unless a block shift is given");
  }

  std::vector<std::string> files;
  files.reserve(paths.size());
  for (const std::string& path : paths) files.push_back(AbsolutePath(path));

  const std::lock_guard<std::mutex> batchLock(g_batchMutex);
  CFileProc job(grid ? &CGridAccess::Model(*grid) : nullptr, &files, inputRef, outputRef, options.zone);
  job.SetSign(SignFactor(options.sign));
  job.SetWriteApplicationLog(false);  // the program folder here is the calling program's
  CBatchWindow window;
  job.SetWindow(&window);
  CRecordingMessenger messages;
  std::thread worker([&] {
    const CScopedThreadMessenger scope(&messages);
    ProcessThreadEntry(&job);
  });

  // Callbacks run here, on the calling thread; one that throws cancels the batch, and
  // its exception follows once the batch has wound down.
  std::exception_ptr failure;
  unsigned percent = 0;
  bool changed = false;
  for (bool running = true; running;) {
    running = window.Wait(percent, changed);
    if (failure) continue;
    try {
      if (changed && options.progress) options.progress(percent);
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
