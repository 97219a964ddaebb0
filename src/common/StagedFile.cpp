#include "common/StagedFile.h"

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <system_error>

namespace {
std::atomic<unsigned> g_counter{0};
}  // namespace

CStagedFile::CStagedFile(std::string finalPath)
    : m_finalPath(std::move(finalPath)),
      m_tempPath(m_finalPath + ".part-" + std::to_string(getpid()) + "-" + std::to_string(++g_counter)) {}

CStagedFile::~CStagedFile() {
  if (m_committed) return;
  std::error_code ec;
  std::filesystem::remove(m_tempPath, ec);
}

bool CStagedFile::Commit(std::string& error) {
  std::error_code ec;
  std::filesystem::rename(m_tempPath, m_finalPath, ec);
  if (ec) {
    error = ec.message();
    return false;
  }
  m_committed = true;
  return true;
}
