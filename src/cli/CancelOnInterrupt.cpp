#include "cli/CancelOnInterrupt.h"

#include <atomic>
#include <chrono>

#include "core/jobs/ProcessBase.h"

namespace {

// How soon a signal reaches the job at the latest.
constexpr auto kWatchInterval = std::chrono::milliseconds(50);

std::atomic<bool> g_signalled{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

extern "C" void OnCancelSignal(int) { g_signalled.store(true); }

}  // namespace

CCancelOnInterrupt::CCancelOnInterrupt(CProcessBase& job) : m_job(job) {
  g_signalled.store(false);
  struct sigaction action {};
  action.sa_handler = OnCancelSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESETHAND | SA_RESTART;  // the second signal takes its usual course
  sigaction(SIGINT, &action, &m_previousInt);
  sigaction(SIGTERM, &action, &m_previousTerm);
  m_watcher = std::thread(&CCancelOnInterrupt::Watch, this);
}

CCancelOnInterrupt::~CCancelOnInterrupt() {
  {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_stop = true;
  }
  m_wake.notify_one();
  m_watcher.join();
  sigaction(SIGINT, &m_previousInt, nullptr);
  sigaction(SIGTERM, &m_previousTerm, nullptr);
}

void CCancelOnInterrupt::Watch() {
  std::unique_lock<std::mutex> lock(m_mutex);
  while (!m_wake.wait_for(lock, kWatchInterval, [this] { return m_stop; })) {
    if (g_signalled.exchange(false)) m_job.SetCancel(true);
  }
}
