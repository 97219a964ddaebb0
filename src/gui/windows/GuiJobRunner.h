#pragma once
// The job runner of the desktop program: runs each job under a modal CProgressDlg.
// Install it on the UI thread with SetJobRunner once the QApplication exists.

#include "core/jobs/JobRunner.h"

class CGuiJobRunner : public CJobRunner {
 public:
  // On the UI thread: shows the progress window modally over the active window until
  // the job has ended. Elsewhere (a job starting another job) the job runs on its own
  // thread and is waited for, without a window.
  void RunModal(CProcessBase& job, const std::string& caption, bool allowCancel) override;
};
