#pragma once
// Shared by the fuzz targets: a scratch folder for the input and any outputs, a job
// runner that runs the job on the calling thread, and a messenger that keeps nothing.
//
// Every input is a file written into the scratch folder, handed to the program and read
// back, thousands of times a second: the folder is in memory where the system has one
// (/dev/shm), and what a run leaves there is removed by name, never by listing the
// folder.

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "core/jobs/JobRunner.h"
#include "core/jobs/Messenger.h"
#include "core/jobs/ProcessBase.h"

namespace fuzz {

inline std::filesystem::path ScratchParent() {
  std::error_code ec;
  if (std::filesystem::is_directory("/dev/shm", ec) && access("/dev/shm", W_OK) == 0) return "/dev/shm";
  return std::filesystem::temp_directory_path();
}

// One folder per fuzzing process, made on first use and removed at exit. The removal is
// registered once the path exists: exit runs it before it destroys the path.
inline const std::filesystem::path& ScratchFolder() {
  static const std::filesystem::path folder = [] {
    std::string pattern = (ScratchParent() / "marevert-fuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    return std::filesystem::path(pattern);
  }();
  const auto removeFolder = [] {
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
  };
  static const bool removedAtExit = std::atexit(removeFolder) == 0;
  (void)removedAtExit;
  return folder;
}

inline std::string ScratchFile(const std::string& name) { return (ScratchFolder() / name).string(); }

// Writes the input as the scratch file `name` (replacing the previous input) and
// answers its path.
inline std::string WriteInput(const std::string& name, const std::uint8_t* data, std::size_t size) {
  const std::string path = ScratchFile(name);
  const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (file < 0) std::abort();
  for (std::size_t done = 0; done < size;) {
    const ssize_t n = write(file, data + done, size - done);
    if (n <= 0) std::abort();
    done += static_cast<std::size_t>(n);
  }
  if (close(file) != 0) std::abort();
  return path;
}

// Removes what a run left beside its input (its outputs).
inline void RemoveFiles(std::initializer_list<std::string> paths) {
  for (const std::string& path : paths) unlink(path.c_str());
}

// A reader must never change its input: abort (a finding) when it did, or removed it.
inline void CheckUnchanged(const std::string& path, const std::uint8_t* data, std::size_t size) {
  static std::vector<char> now;
  now.resize(size + 1);  // one byte more finds a file that grew
  std::size_t got = 0;
  const int file = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (file >= 0) {
    for (ssize_t n; got < now.size() && (n = read(file, now.data() + got, now.size() - got)) > 0;)
      got += static_cast<std::size_t>(n);
    close(file);
  }
  if (file < 0 || got != size || (size && std::memcmp(now.data(), data, size) != 0)) {
    std::fprintf(stderr, "the input file was changed by the reader\n");
    std::abort();
  }
}

// Runs the job on the calling thread, as the worker thread would.
class CInlineJobRunner : public CJobRunner {
 public:
  void RunModal(CProcessBase& job, const std::string&, bool) override { ProcessThreadEntry(&job); }
};

class CSilentMessenger : public CMessenger {
 public:
  void ShowMessage(const std::string&) override {}
  void ShowMessageList(const std::string&, const std::vector<std::string>&) override {}
  bool ShowDocument(const std::string&, const std::string&, bool) override { return false; }
};

// Installs the inline runner and the silent messenger for the whole fuzzing run.
inline void InstallQuietJobs() {
  static CInlineJobRunner runner;
  static CSilentMessenger messenger;
  SetJobRunner(&runner);
  SetMessenger(&messenger);
}

}  // namespace fuzz
