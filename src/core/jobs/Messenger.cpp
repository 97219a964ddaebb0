#include "core/jobs/Messenger.h"

#include <atomic>
#include <cstdio>

namespace {
CConsoleMessenger g_console;
std::atomic<CMessenger*> g_messenger{nullptr};

thread_local CMessenger* t_messenger = nullptr;
}  // namespace

CMessenger& GetMessenger() {
  if (t_messenger) return *t_messenger;
  CMessenger* messenger = g_messenger.load();
  return messenger ? *messenger : g_console;
}

CScopedThreadMessenger::CScopedThreadMessenger(CMessenger* messenger) : m_previous(t_messenger) {
  t_messenger = messenger;
}

CScopedThreadMessenger::~CScopedThreadMessenger() { t_messenger = m_previous; }

CMessenger* SetMessenger(CMessenger* messenger) { return g_messenger.exchange(messenger); }

void CConsoleMessenger::ShowMessage(const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); }

void CConsoleMessenger::ShowMessageList(const std::string& /*title*/, const std::vector<std::string>& lines) {
  for (const std::string& line : lines) std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

bool CConsoleMessenger::ShowDocument(const std::string& title, const std::string& file, bool /*singleButton*/) {
  std::fprintf(stderr, "%s: see %s beside the program\n", title.c_str(), file.c_str());
  return false;
}

void CRecordingMessenger::ShowMessage(const std::string& text) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_entries.push_back({Entry::Message, text, {}});
}

void CRecordingMessenger::ShowMessageList(const std::string& title, const std::vector<std::string>& lines) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_entries.push_back({Entry::MessageList, title, lines});
}

bool CRecordingMessenger::ShowDocument(const std::string& title, const std::string& file, bool singleButton) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_entries.push_back({Entry::Document, title, {file}});
  return singleButton ? false : m_acceptDocuments;
}

std::vector<CRecordingMessenger::Entry> CRecordingMessenger::Entries() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_entries;
}

std::vector<std::string> CRecordingMessenger::Messages() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  std::vector<std::string> texts;
  for (const Entry& e : m_entries)
    if (e.kind == Entry::Message) texts.push_back(e.text);
  return texts;
}

void CRecordingMessenger::Clear() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_entries.clear();
}
