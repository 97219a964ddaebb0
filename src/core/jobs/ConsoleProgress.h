#pragma once
// A progress window for the command line: one line on standard error, redrawn in place
// ("caption: status text  42%"). Writes nothing when standard error is not a terminal,
// so scripts and logs only see the results.

#include <cstdio>
#include <mutex>
#include <string>

#include "core/jobs/ProcessBase.h"

class CConsoleProgress : public CProcessWindow {
 public:
  // `stream` defaults to standard error; `force` draws even when it is not a terminal.
  CConsoleProgress(CProcessBase& job, std::string caption, std::FILE* stream = stderr, bool force = false);
  ~CConsoleProgress() override;

  void OnProcessProgress(unsigned percent) override;
  void OnProcessText() override;
  void OnProcessDone() override;

  bool IsActive() const { return m_active; }

 private:
  void Draw();  // with m_mutex held

  CProcessBase& m_job;
  std::string m_caption;
  std::FILE* m_stream;
  bool m_active;
  std::mutex m_mutex;
  unsigned m_percent = 0;
  std::size_t m_lastWidth = 0;
  bool m_drawn = false;
};
