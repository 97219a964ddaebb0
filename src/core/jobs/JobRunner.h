#pragma once
// Runs a job "modally": starts it on a worker thread and returns when it has ended.
// The desktop program installs a runner that shows CProgressDlg with the caption; the
// default runner waits for the thread and, on a terminal, draws progress on standard
// error.

#include <string>

class CProcessBase;

class CJobRunner {
 public:
  virtual ~CJobRunner() = default;
  // Returns after the job body has returned (or could not be started).
  virtual void RunModal(CProcessBase& job, const std::string& caption, bool allowCancel) = 0;
};

// The installed runner; a CThreadJobRunner when none is installed.
CJobRunner& GetJobRunner();
// Installs `runner` (not owned; null restores the default); returns the previous one.
CJobRunner* SetJobRunner(CJobRunner* runner);

// Runs the job on a std::thread and joins it. With `consoleProgress`, and only when
// standard error is a terminal, the caption, status text and percentage are drawn on
// one line of standard error.
class CThreadJobRunner : public CJobRunner {
 public:
  explicit CThreadJobRunner(bool consoleProgress = true) : m_consoleProgress(consoleProgress) {}
  void RunModal(CProcessBase& job, const std::string& caption, bool allowCancel) override;

 private:
  bool m_consoleProgress;
};

class CScopedJobRunner {
 public:
  explicit CScopedJobRunner(CJobRunner* runner) : m_previous(SetJobRunner(runner)) {}
  ~CScopedJobRunner() { SetJobRunner(m_previous); }
  CScopedJobRunner(const CScopedJobRunner&) = delete;
  CScopedJobRunner& operator=(const CScopedJobRunner&) = delete;

 private:
  CJobRunner* m_previous;
};
