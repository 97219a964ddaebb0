#include "core/common/DeferredProfile.h"

#include <charconv>

std::string CDeferredProfile::GetString(const std::string& section, const std::string& key,
                                        const std::string& defaultValue) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_held.find({section, key});
    if (it != m_held.end()) {
      if (const int* number = std::get_if<int>(&it->second)) return std::to_string(*number);
      return std::get<std::string>(it->second);
    }
  }
  return m_target ? m_target->GetString(section, key, defaultValue) : defaultValue;
}

int CDeferredProfile::GetInt(const std::string& section, const std::string& key, int defaultValue) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_held.find({section, key});
    if (it != m_held.end()) {
      if (const int* number = std::get_if<int>(&it->second)) return *number;
      const std::string& text = std::get<std::string>(it->second);
      int number = 0;
      const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
      return error == std::errc() && end == text.data() + text.size() && !text.empty() ? number : defaultValue;
    }
  }
  return m_target ? m_target->GetInt(section, key, defaultValue) : defaultValue;
}

void CDeferredProfile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_held[{section, key}] = value;
}

void CDeferredProfile::WriteInt(const std::string& section, const std::string& key, int value) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_held[{section, key}] = value;
}

void CDeferredProfile::Commit() {
  std::map<Key, std::variant<std::string, int>> held;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    held.swap(m_held);
  }
  if (!m_target) return;
  for (const auto& [name, value] : held) {
    if (const int* number = std::get_if<int>(&value))
      m_target->WriteInt(name.first, name.second, *number);
    else
      m_target->WriteString(name.first, name.second, std::get<std::string>(value));
  }
}
