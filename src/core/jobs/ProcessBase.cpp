#include "core/jobs/ProcessBase.h"

void CProcessBase::SetWindow(CProcessWindow* window) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_window = window;
}

CProcessWindow* CProcessBase::GetWindow() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_window;
}

void CProcessBase::SetCancel(bool cancel) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_cancel = cancel;
}

bool CProcessBase::IsCancelled() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_cancel;
}

void CProcessBase::SetProgress(unsigned percent) {
  if (CProcessWindow* window = GetWindow()) window->OnProcessProgress(percent);
}

void CProcessBase::SetText(const std::string& text) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_text = text;
  if (m_window) m_window->OnProcessText();
}

std::string CProcessBase::GetText() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_text;
}

int ProcessThreadEntry(CProcessBase* process) {
  process->Run();
  if (CProcessWindow* window = process->GetWindow()) window->OnProcessDone();
  return 0;
}
