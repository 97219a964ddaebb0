#include "core/jobs/JobRunner.h"

#include <atomic>
#include <optional>
#include <system_error>
#include <thread>

#include "core/jobs/ConsoleProgress.h"
#include "core/jobs/Messenger.h"
#include "core/jobs/ProcessBase.h"

namespace {
CThreadJobRunner g_default;
std::atomic<CJobRunner*> g_runner{nullptr};
}  // namespace

CJobRunner& GetJobRunner() {
  CJobRunner* runner = g_runner.load();
  return runner ? *runner : g_default;
}

CJobRunner* SetJobRunner(CJobRunner* runner) { return g_runner.exchange(runner); }

void CThreadJobRunner::RunModal(CProcessBase& job, const std::string& caption, bool /*allowCancel*/) {
  std::optional<CConsoleProgress> progress;
  if (m_consoleProgress) {
    progress.emplace(job, caption);
    if (progress->IsActive()) job.SetWindow(&*progress);
  }
  try {
    std::thread worker(ProcessThreadEntry, &job);
    worker.join();
  } catch (const std::system_error&) {
    job.SetWindow(nullptr);
    GetMessenger().ShowMessage("Failed to create processing thread ...");
    return;
  }
  job.SetWindow(nullptr);
}
