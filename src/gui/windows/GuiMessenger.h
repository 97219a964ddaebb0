#pragma once
// The messenger of the desktop program. Jobs call it from the worker thread: each call
// is handed to the UI thread as a blocking queued call and returns when the user has
// closed what it shows (message box, CMessageDlg, CDlgDisclaimer). Calls made on the
// UI thread itself show directly, so they cannot deadlock.
//
// Create and install it on the UI thread (SetMessenger) once the QApplication exists.
// A job may call it only while the UI thread runs an event loop (the progress window's
// modal loop does), never while the UI thread waits for the job.

#include <QObject>
#include <functional>
#include <memory>

#include "core/jobs/Messenger.h"

class CGuiMessenger : public CMessenger {
 public:
  CGuiMessenger();
  ~CGuiMessenger() override;

  void ShowMessage(const std::string& text) override;
  void ShowMessageList(const std::string& title, const std::vector<std::string>& lines) override;
  bool ShowDocument(const std::string& title, const std::string& file, bool singleButton) override;

 private:
  // Runs `call` on the UI thread and returns when it has returned.
  void OnUiThread(const std::function<void()>& call);

  std::unique_ptr<QObject> m_receiver;  // lives in the UI thread
};
