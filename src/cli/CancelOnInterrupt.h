#pragma once
// Ctrl-C for a job on the command line: while the guard lives, the first SIGINT (or
// SIGTERM, as a scheduler sends to cancel a task) raises the job's cancel flag, as the
// desktop program's Cancel button does, so that the job ends as after a cancel: the
// running files stop where they are and the summary and logs are still written. A
// second signal of the same kind ends the process at once, as it normally would.

#include <signal.h>

#include <condition_variable>
#include <mutex>
#include <thread>

class CProcessBase;

class CCancelOnInterrupt {
 public:
  explicit CCancelOnInterrupt(CProcessBase& job);
  ~CCancelOnInterrupt();
  CCancelOnInterrupt(const CCancelOnInterrupt&) = delete;
  CCancelOnInterrupt& operator=(const CCancelOnInterrupt&) = delete;

 private:
  // Passes a signal on to the job (the signal handler itself may only set a flag).
  void Watch();

  CProcessBase& m_job;
  struct sigaction m_previousInt {};
  struct sigaction m_previousTerm {};
  std::mutex m_mutex;
  std::condition_variable m_wake;
  bool m_stop = false;
  std::thread m_watcher;
};
