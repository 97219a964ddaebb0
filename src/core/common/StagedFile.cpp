#include "core/common/StagedFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "core/common/NumberText.h"

namespace {

std::atomic<unsigned> g_counter{0};

constexpr const char* kPartialMarker = ".marevert-partial";

// Where the extension of the file name begins: its last "."; the end of the path when
// the name has none (a "." in a folder name does not count).
std::size_t ExtensionStart(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  const std::size_t dot = path.rfind('.');
  return dot == std::string::npos || (slash != std::string::npos && dot < slash) ? path.size() : dot;
}

}  // namespace

CStagedFile::CStagedFile(std::string finalPath, Naming naming)
    : m_finalPath(std::move(finalPath)),
      m_tempPath(naming == Naming::kBesideFinal
                     ? PartialPath(m_finalPath)
                     : m_finalPath + ".part-" + std::to_string(getpid()) + "-" + std::to_string(++g_counter)),
      m_naming(naming) {}

CStagedFile::CStagedFile(std::string finalPath, std::string tempPath)
    : m_finalPath(std::move(finalPath)), m_tempPath(std::move(tempPath)), m_naming(Naming::kBesideFinal) {}

CStagedFile::~CStagedFile() {
  if (m_committed || m_naming == Naming::kBesideFinal) return;
  std::error_code ec;
  std::filesystem::remove(m_tempPath, ec);
}

std::string CStagedFile::PartialPath(const std::string& finalPath) {
  const std::size_t extension = ExtensionStart(finalPath);
  return finalPath.substr(0, extension) + kPartialMarker + finalPath.substr(extension);
}

std::string CStagedFile::SiblingFinalPath(const std::string& finalPath, const std::string& sibling) {
  const std::size_t extension = ExtensionStart(finalPath);
  const std::string prefix = finalPath.substr(0, extension) + kPartialMarker;
  if (sibling.compare(0, prefix.size(), prefix) != 0) return "";
  return finalPath.substr(0, extension) + sibling.substr(prefix.size());
}

void CStagedFile::RemoveStale() const {
  std::error_code ec;
  std::filesystem::remove(m_tempPath, ec);
}

bool CStagedFile::CanReplaceFinal(std::string& error) const {
  // Neither created nor truncated; not blocking on a FIFO without a reader.
  const int file = ::open(m_finalPath.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
  if (file >= 0) {
    ::close(file);
    return true;
  }
  if (errno == ENOENT) return true;
  error = ClassicStrerror(errno);
  return false;
}

bool CStagedFile::Commit(std::string& error) {
  std::error_code ec;
  std::filesystem::rename(m_tempPath, m_finalPath, ec);
  if (ec) {
    error = ClassicStrerror(ec.value());
    return false;
  }
  m_committed = true;
  return true;
}

bool CStagedFile::CommitIfWritten(bool& moved, std::string& error) {
  moved = false;
  std::error_code ec;
  if (!std::filesystem::exists(std::filesystem::symlink_status(m_tempPath, ec))) return true;
  moved = Commit(error);
  return moved;
}
