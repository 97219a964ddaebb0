#pragma once
// Helpers shared by the test executables: scratch folders, whole-file I/O and locales.

#include <locale.h>

#include <filesystem>
#include <string>
#include <vector>

// A fresh folder under the system temporary folder, removed with everything in it
// when the object goes out of scope.
class CScratchDir {
 public:
  CScratchDir();
  ~CScratchDir();
  CScratchDir(const CScratchDir&) = delete;
  CScratchDir& operator=(const CScratchDir&) = delete;

  const std::filesystem::path& Path() const { return m_path; }
  // The path of `name` inside the folder, as a string.
  std::string File(const std::string& name) const { return (m_path / name).string(); }
  // The names of what the folder holds, sorted.
  std::vector<std::string> Names() const;

 private:
  std::filesystem::path m_path;
};

// A fresh folder that stands in for the program's folder (where the program finds its
// data files and writes its log) for the object's life. The coast data read from the
// folder before is dropped on the way in and out.
class CProgramFolder : public CScratchDir {
 public:
  CProgramFolder();
  ~CProgramFolder();
  // The folder with a trailing "/", as the program names it.
  std::string Folder() const { return Path().string() + "/"; }
};

// Reads a whole file as bytes ("" when it cannot be read).
std::string ReadFileBytes(const std::string& path);
// Writes `bytes` to a file, replacing it.
void WriteFileBytes(const std::string& path, const std::string& bytes);

// Sets an environment variable (null: unsets it) for the object's life.
class CScopedEnv {
 public:
  CScopedEnv(const char* name, const char* value);
  ~CScopedEnv();
  CScopedEnv(const CScopedEnv&) = delete;
  CScopedEnv& operator=(const CScopedEnv&) = delete;

 private:
  std::string m_name, m_previous;
  bool m_hadValue;
};

// The comma-decimal locale that the locale tests run the program under (scripts/setup.sh
// generates it).
constexpr const char* kCommaLocale = "de_DE.UTF-8";

// Sets the process locale (setlocale LC_ALL, as a program does at start) for the
// object's life, then restores the one before. A locale that does not exist fails the
// test.
class CScopedLocale {
 public:
  explicit CScopedLocale(const char* name);
  ~CScopedLocale();
  CScopedLocale(const CScopedLocale&) = delete;
  CScopedLocale& operator=(const CScopedLocale&) = delete;

 private:
  std::string m_previous;
};

// Makes this thread's C library conversions (printf, strtod, std::to_string of a
// double) use the "C" locale for the object's life, whatever the process locale: for
// tests that write input text or compute expected text with the C library.
class CClassicThreadLocale {
 public:
  CClassicThreadLocale();
  ~CClassicThreadLocale();
  CClassicThreadLocale(const CClassicThreadLocale&) = delete;
  CClassicThreadLocale& operator=(const CClassicThreadLocale&) = delete;

 private:
  locale_t m_classic;
  locale_t m_previous;
};
