#pragma once
// The per-user profile: sections of named strings and integers. The desktop program
// installs a store backed by QSettings (organisation "Orvane", application = program
// name); tests install a CMemoryProfile. With no store installed there is no profile,
// and readers get their defaults while writers write nothing.

#include <map>
#include <mutex>
#include <string>
#include <utility>

class CProfile {
 public:
  virtual ~CProfile() = default;
  virtual std::string GetString(const std::string& section, const std::string& key,
                                const std::string& defaultValue) = 0;
  virtual int GetInt(const std::string& section, const std::string& key, int defaultValue) = 0;
  virtual void WriteString(const std::string& section, const std::string& key, const std::string& value) = 0;
  virtual void WriteInt(const std::string& section, const std::string& key, int value) = 0;
};

// The installed profile, or null when none is installed.
CProfile* GetProfile();
// Installs `profile` (not owned; null removes it) and returns the previous one.
CProfile* SetProfile(CProfile* profile);

// A profile held in memory, for tests and for programs that keep no settings.
class CMemoryProfile : public CProfile {
 public:
  std::string GetString(const std::string& section, const std::string& key,
                        const std::string& defaultValue) override;
  int GetInt(const std::string& section, const std::string& key, int defaultValue) override;
  void WriteString(const std::string& section, const std::string& key, const std::string& value) override;
  void WriteInt(const std::string& section, const std::string& key, int value) override;
  bool Has(const std::string& section, const std::string& key);

 private:
  std::mutex m_mutex;
  std::map<std::pair<std::string, std::string>, std::string> m_values;
};

// Installs a profile for the lifetime of the guard and restores the previous one after.
class CScopedProfile {
 public:
  explicit CScopedProfile(CProfile* profile) : m_previous(SetProfile(profile)) {}
  ~CScopedProfile() { SetProfile(m_previous); }
  CScopedProfile(const CScopedProfile&) = delete;
  CScopedProfile& operator=(const CScopedProfile&) = delete;

 private:
  CProfile* m_previous;
};
