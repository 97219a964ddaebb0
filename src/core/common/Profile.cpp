#include "core/common/Profile.h"

#include <atomic>

#include "core/common/NumberText.h"

namespace {
std::atomic<CProfile*> g_profile{nullptr};
}

CProfile* GetProfile() { return g_profile.load(); }

CProfile* SetProfile(CProfile* profile) { return g_profile.exchange(profile); }

std::string CMemoryProfile::GetString(const std::string& section, const std::string& key,
                                      const std::string& defaultValue) {
  std::lock_guard<std::mutex> lock(m_mutex);
  auto it = m_values.find({section, key});
  return it == m_values.end() ? defaultValue : it->second;
}

int CMemoryProfile::GetInt(const std::string& section, const std::string& key, int defaultValue) {
  std::lock_guard<std::mutex> lock(m_mutex);
  auto it = m_values.find({section, key});
  if (it == m_values.end()) return defaultValue;
  return ClassicAtoi(it->second.c_str());
}

void CMemoryProfile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_values[{section, key}] = value;
}

void CMemoryProfile::WriteInt(const std::string& section, const std::string& key, int value) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_values[{section, key}] = std::to_string(value);
}

bool CMemoryProfile::Has(const std::string& section, const std::string& key) {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_values.count({section, key}) != 0;
}
