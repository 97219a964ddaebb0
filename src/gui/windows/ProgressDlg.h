#pragma once
// The progress window of a job: a status line, a bar from 0 to 100 and, when the job
// allows it, a Cancel button. Shown modally, it starts the job on a worker thread and
// closes only when the job reports that its body has returned; Cancel and Escape just
// raise the job's cancel flag, which the job polls. Its placement is remembered per
// caption.
//
// The worker's notifications reach the window as queued calls on the UI thread, in the
// order sent; the job never waits for the window. When the done notification arrives
// the body has returned, so the window joins the worker thread then (a moment at most)
// and nothing of the job outlives the window.

#include <QDialog>
#include <memory>
#include <string>
#include <thread>

class CProcessBase;
class QLabel;
class QProgressBar;
class QPushButton;

class CProgressDlg : public QDialog {
  Q_OBJECT

 public:
  // `process` is not owned and must outlive the window.
  CProgressDlg(const std::string& caption, CProcessBase* process, bool allowCancel, QWidget* parent = nullptr);
  // Normally the worker has ended when the window goes. If it has not (the window is
  // destroyed before the job ended), the job is asked to cancel and waited for.
  ~CProgressDlg() override;

  QLabel* StatusLine() const { return m_text; }
  QProgressBar* ProgressBar() const { return m_progress; }
  QPushButton* CancelButton() const { return m_cancel; }

  // The text shown when the worker thread cannot be started.
  static const char* const kThreadFailedText;

 public slots:
  // The cancel command (Cancel button, Escape, closing the window): raise the flag.
  void reject() override;
  // Enter does not end the window either.
  void accept() override {}

 protected:
  void showEvent(QShowEvent* event) override;
  // Starts ProcessThreadEntry for the job on m_thread; false when no thread could be
  // started.
  virtual bool StartWorker();

 private:
  class CWindowAdapter;

  void Initialise();
  void OnProgress(unsigned percent);
  void OnText();
  void OnDone();
  void End();
  void JoinWorker();

  std::string m_caption;
  CProcessBase* m_process;
  bool m_allowCancel;
  QLabel* m_text;
  QProgressBar* m_progress;
  QPushButton* m_cancel;
  std::unique_ptr<CWindowAdapter> m_adapter;
  bool m_initialised = false;

 protected:
  std::thread m_thread;
};
