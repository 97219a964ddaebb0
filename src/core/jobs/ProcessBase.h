#pragma once
// A long job that runs on a worker thread while a progress window (the desktop
// program's CProgressDlg, the command line's console reporter, or nothing at all)
// follows it. The job reports through three notifications, delivered to the window in
// the order they were sent; the window asks the job to stop only by raising the cancel
// flag, which the job polls.

#include <mutex>
#include <string>

// The receiver of a job's notifications. Implementations hand them to their own thread
// without blocking the job (the progress window queues them on the UI thread).
class CProcessWindow {
 public:
  virtual ~CProcessWindow() = default;
  virtual void OnProcessProgress(unsigned percent) = 0;  // move the bar
  virtual void OnProcessText() = 0;                      // the status text changed; fetch it with GetText
  virtual void OnProcessDone() = 0;                      // the job body has returned
};

class CProcessBase {
 public:
  CProcessBase() = default;
  virtual ~CProcessBase() = default;
  CProcessBase(const CProcessBase&) = delete;
  CProcessBase& operator=(const CProcessBase&) = delete;

  // The job body, run once on the worker thread by ProcessThreadEntry.
  virtual void Run() = 0;

  void SetWindow(CProcessWindow* window);
  CProcessWindow* GetWindow();
  void SetCancel(bool cancel);
  bool IsCancelled();
  // Sends the percentage to the window, if there is one. Jobs call it only when the
  // percentage has grown by more than 5 since the last report (see CProgressThrottle).
  void SetProgress(unsigned percent);
  // Stores the status text and tells the window that it changed.
  void SetText(const std::string& text);
  std::string GetText();

 private:
  std::mutex m_mutex;  // guards the three fields below
  CProcessWindow* m_window = nullptr;
  bool m_cancel = false;
  std::string m_text;
};

// Runs the job body, then tells the window (if any) that the job is done. After that
// it touches nothing of the job, so the window may destroy the job on the done notice.
int ProcessThreadEntry(CProcessBase* process);

// The rule every job follows for its percentage: report p only when it exceeds the
// last reported value by more than 5, the last value starting at -5.
class CProgressThrottle {
 public:
  void Reset() { m_last = -5; }
  // Reports `percent` to the job when it passes the rule; returns whether it did.
  bool Report(CProcessBase& process, long long percent) {
    if (percent - m_last <= 5) return false;
    m_last = percent;
    process.SetProgress(static_cast<unsigned>(percent));
    return true;
  }

 private:
  long long m_last = -5;
};
