#pragma once
// How a job shows messages, message lists and documents to the user. Jobs call these
// from the worker thread; each call returns when the user has seen (closed) what it
// shows. The desktop program installs a messenger that makes a blocking call into the
// UI thread; the command line prints; tests record.

#include <mutex>
#include <string>
#include <vector>

class CMessenger {
 public:
  virtual ~CMessenger() = default;
  // A message box with an OK button.
  virtual void ShowMessage(const std::string& text) = 0;
  // A message list window (CMessageDlg) with the given title.
  virtual void ShowMessageList(const std::string& title, const std::vector<std::string>& lines) = 0;
  // The document dialog (CDlgDisclaimer) for `file` in the program folder; returns its
  // accepted flag (always false in single-button mode).
  virtual bool ShowDocument(const std::string& title, const std::string& file, bool singleButton) = 0;
};

// The messenger installed for the calling thread (CScopedThreadMessenger), else the
// installed one; a CConsoleMessenger when none is installed.
CMessenger& GetMessenger();
// Installs `messenger` (not owned; null restores the console one); returns the previous.
CMessenger* SetMessenger(CMessenger* messenger);

// Messages and documents on standard error, message lists on standard output.
class CConsoleMessenger : public CMessenger {
 public:
  void ShowMessage(const std::string& text) override;
  void ShowMessageList(const std::string& title, const std::vector<std::string>& lines) override;
  bool ShowDocument(const std::string& title, const std::string& file, bool singleButton) override;
};

// Keeps what would have been shown, in order; for tests. Thread-safe.
class CRecordingMessenger : public CMessenger {
 public:
  struct Entry {
    enum Kind { Message, MessageList, Document } kind;
    std::string text;                // message text, list title or document title
    std::vector<std::string> lines;  // list lines; for a document: {file}
  };

  void ShowMessage(const std::string& text) override;
  void ShowMessageList(const std::string& title, const std::vector<std::string>& lines) override;
  bool ShowDocument(const std::string& title, const std::string& file, bool singleButton) override;

  std::vector<Entry> Entries() const;
  std::vector<std::string> Messages() const;  // the texts of the message boxes only
  void Clear();
  bool m_acceptDocuments = false;  // what ShowDocument answers in two-button mode

 private:
  mutable std::mutex m_mutex;
  std::vector<Entry> m_entries;
};

// Installs a messenger for the lifetime of the guard.
class CScopedMessenger {
 public:
  explicit CScopedMessenger(CMessenger* messenger) : m_previous(SetMessenger(messenger)) {}
  ~CScopedMessenger() { SetMessenger(m_previous); }
  CScopedMessenger(const CScopedMessenger&) = delete;
  CScopedMessenger& operator=(const CScopedMessenger&) = delete;

 private:
  CMessenger* m_previous;
};

// Installs a messenger for the constructing thread only, for the lifetime of the guard:
// a library caller collects what a job on its own thread shows without touching what
// other threads see.
class CScopedThreadMessenger {
 public:
  explicit CScopedThreadMessenger(CMessenger* messenger);
  ~CScopedThreadMessenger();
  CScopedThreadMessenger(const CScopedThreadMessenger&) = delete;
  CScopedThreadMessenger& operator=(const CScopedThreadMessenger&) = delete;

 private:
  CMessenger* m_previous;
};
