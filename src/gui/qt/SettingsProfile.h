#pragma once
// The per-user profile of the desktop program, kept with QSettings under the
// organisation "Orvane" and the program's name (the executable's name without its
// extension). Each profile section is a settings group.

#include <QSettings>
#include <QString>
#include <memory>
#include <mutex>

#include "core/common/Profile.h"

class CSettingsProfile : public CProfile {
 public:
  // The user's profile of the running program (QCoreApplication must exist).
  CSettingsProfile();
  // A profile kept in an INI file at `path` (tests, portable set-ups).
  explicit CSettingsProfile(const QString& path);

  std::string GetString(const std::string& section, const std::string& key, const std::string& defaultValue) override;
  int GetInt(const std::string& section, const std::string& key, int defaultValue) override;
  void WriteString(const std::string& section, const std::string& key, const std::string& value) override;
  void WriteInt(const std::string& section, const std::string& key, int value) override;

  // Writes pending changes to the store.
  void Sync();

  // The executable's name without its extension ("marevert").
  static QString ProgramName();

 private:
  std::mutex m_mutex;  // jobs may read settings from the worker thread
  std::unique_ptr<QSettings> m_settings;
};
