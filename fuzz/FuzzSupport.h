#pragma once
// Shared by the fuzz targets: a scratch folder for the input and any outputs, a job
// runner that runs the job on the calling thread, and a messenger that keeps nothing.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "process/JobRunner.h"
#include "process/Messenger.h"
#include "process/ProcessBase.h"

namespace fuzz {

// One folder per fuzzing process, made on first use and removed at exit.
inline const std::filesystem::path& ScratchFolder() {
  static const std::filesystem::path folder = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "marevert-fuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(ScratchFolder(), ec);
    });
    return std::filesystem::path(pattern);
  }();
  return folder;
}

// Empties the scratch folder (outputs of the previous input).
inline void ClearScratch() {
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(ScratchFolder(), ec))
    std::filesystem::remove_all(entry.path(), ec);
}

inline std::string WriteInput(const std::string& name, const std::uint8_t* data, std::size_t size) {
  ClearScratch();
  const std::string path = (ScratchFolder() / name).string();
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  if (!out.good()) std::abort();
  return path;
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A reader must never change its input: abort (a finding) when it did.
inline void CheckUnchanged(const std::string& path, const std::uint8_t* data, std::size_t size) {
  const std::string now = ReadBytes(path);
  if (now.size() != size || (size && now.compare(0, size, reinterpret_cast<const char*>(data), size) != 0)) {
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
