#pragma once
// A profile that holds back every write until Commit. Reads answer the held values
// first, then the target's. Destroyed without Commit, it leaves the target exactly as
// it was: the main window writes its start-up through one of these, so that a start
// whose disclaimer is declined writes no setting at all.

#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <variant>

#include "core/common/Profile.h"

class CDeferredProfile : public CProfile {
 public:
  // `target` (not owned) receives the held values on Commit; null: reads give the
  // defaults and Commit writes nowhere.
  explicit CDeferredProfile(CProfile* target) : m_target(target) {}

  std::string GetString(const std::string& section, const std::string& key, const std::string& defaultValue) override;
  // A held string reads as an integer only when it is one whole decimal integer.
  int GetInt(const std::string& section, const std::string& key, int defaultValue) override;
  void WriteString(const std::string& section, const std::string& key, const std::string& value) override;
  void WriteInt(const std::string& section, const std::string& key, int value) override;

  // Writes the held values to the target and holds nothing more.
  void Commit();

 private:
  using Key = std::pair<std::string, std::string>;
  CProfile* m_target;
  std::mutex m_mutex;  // jobs may read settings from the worker thread
  std::map<Key, std::variant<std::string, int>> m_held;
};
