#include "core/jobs/ConsoleProgress.h"

#include <unistd.h>

#include <algorithm>

CConsoleProgress::CConsoleProgress(CProcessBase& job, std::string caption, std::FILE* stream, bool force)
    : m_job(job), m_caption(std::move(caption)), m_stream(stream), m_active(force || isatty(fileno(stream))) {}

CConsoleProgress::~CConsoleProgress() { OnProcessDone(); }

void CConsoleProgress::OnProcessProgress(unsigned percent) {
  if (!m_active) return;
  std::lock_guard<std::mutex> lock(m_mutex);
  m_percent = std::min(percent, 100u);
  Draw();
}

void CConsoleProgress::OnProcessText() {
  // Called by SetText with the job's lock held: do not call back into the job here.
  if (!m_active) return;
  std::lock_guard<std::mutex> lock(m_mutex);
  m_drawn = true;  // the text is fetched on the next progress or done notice
}

void CConsoleProgress::OnProcessDone() {
  if (!m_active) return;
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_drawn || m_lastWidth) {
    Draw();
    std::fputc('\n', m_stream);
    std::fflush(m_stream);
  }
  m_drawn = false;
  m_lastWidth = 0;
  m_active = false;
}

void CConsoleProgress::Draw() {
  std::string line = m_caption;
  const std::string text = m_job.GetText();
  if (!text.empty()) line += ": " + text;
  line += "  " + std::to_string(m_percent) + "%";
  const std::size_t width = line.size();
  if (width < m_lastWidth) line.append(m_lastWidth - width, ' ');
  std::fprintf(m_stream, "\r%s", line.c_str());
  std::fflush(m_stream);
  m_lastWidth = width;
  m_drawn = true;
}
