#include "gui/qt/SettingsProfile.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {

// QSettings reads "/" and "\" in a key as group separators; section and key names are
// free text (a window title may hold a slash), so those characters are escaped.
QString Escape(const std::string& name) {
  QString text = QString::fromStdString(name);
  text.replace('%', "%25").replace('/', "%2F").replace('\\', "%5C");
  return text;
}

QString KeyOf(const std::string& section, const std::string& key) { return Escape(section) + '/' + Escape(key); }

}  // namespace

CSettingsProfile::CSettingsProfile()
    : m_settings(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, "Orvane", ProgramName())) {}

CSettingsProfile::CSettingsProfile(const QString& path)
    : m_settings(std::make_unique<QSettings>(path, QSettings::IniFormat)) {}

QString CSettingsProfile::ProgramName() {
  QString name = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
  if (name.isEmpty()) name = QCoreApplication::applicationName();
  return name;
}

std::string CSettingsProfile::GetString(const std::string& section, const std::string& key,
                                        const std::string& defaultValue) {
  std::lock_guard<std::mutex> lock(m_mutex);
  const QVariant value = m_settings->value(KeyOf(section, key));
  return value.isValid() ? value.toString().toStdString() : defaultValue;
}

int CSettingsProfile::GetInt(const std::string& section, const std::string& key, int defaultValue) {
  std::lock_guard<std::mutex> lock(m_mutex);
  const QVariant value = m_settings->value(KeyOf(section, key));
  if (!value.isValid()) return defaultValue;
  bool ok = false;
  const int number = value.toInt(&ok);
  return ok ? number : defaultValue;  // a value that is not an integer reads as missing
}

void CSettingsProfile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_settings->setValue(KeyOf(section, key), QString::fromStdString(value));
}

void CSettingsProfile::WriteInt(const std::string& section, const std::string& key, int value) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_settings->setValue(KeyOf(section, key), value);
}

void CSettingsProfile::Sync() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_settings->sync();
}
