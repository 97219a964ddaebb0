#include "core/common/PathUtil.h"

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <system_error>

namespace {

std::mutex g_overrideMutex;
std::string g_overrideFolder;

std::string WithTrailingSeparator(std::string folder) {
  if (!folder.empty() && folder.back() != '/' && folder.back() != '\\') folder += '/';
  return folder;
}

// An absolute folder named by an environment variable, or an empty path.
std::filesystem::path FolderFromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr) return {};
  std::filesystem::path folder(value);
  return folder.is_absolute() ? folder : std::filesystem::path();
}

// Creates `folder` and its missing parents, each for the user alone (mode 0700, as the
// XDG base directory rules ask); true when it exists as a folder at the end.
bool CreateUserFolders(const std::filesystem::path& folder) {
  std::error_code ec;
  if (std::filesystem::is_directory(folder, ec)) return true;
  const std::filesystem::path parent = folder.parent_path();
  if (parent == folder || !CreateUserFolders(parent)) return false;
  if (std::filesystem::create_directory(folder, ec))
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all, ec);
  return std::filesystem::is_directory(folder, ec);
}

}  // namespace

void SetProgramFolderOverride(const std::string& folder) {
  std::lock_guard<std::mutex> lock(g_overrideMutex);
  g_overrideFolder = WithTrailingSeparator(folder);
}

bool GetProgramFolder(std::string& folder) {
  folder.clear();
  {
    std::lock_guard<std::mutex> lock(g_overrideMutex);
    if (!g_overrideFolder.empty()) {
      folder = g_overrideFolder;
      return true;
    }
  }
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return false;
  folder = WithTrailingSeparator(GetFolderPart(exe.string()));
  return true;
}

bool GetUserStateFolder(std::string& folder) {
  folder.clear();
  std::filesystem::path base = FolderFromEnvironment("XDG_STATE_HOME");
  if (base.empty()) {
    const std::filesystem::path home = FolderFromEnvironment("HOME");
    if (home.empty()) return false;
    base = home / ".local" / "state";
  }
  const std::filesystem::path state = base / "marevert";
  if (!CreateUserFolders(state)) return false;
  folder = WithTrailingSeparator(state.string());
  return true;
}

std::string GetFileNamePart(const std::string& path) {
  std::size_t pos = path.rfind('\\');
  if (pos == std::string::npos) pos = path.rfind('/');
  if (pos == std::string::npos) return "";
  return path.substr(pos + 1);
}

std::string GetFolderPart(const std::string& path) {
  std::size_t pos = path.rfind('\\');
  if (pos == std::string::npos) pos = path.rfind('/');
  if (pos == std::string::npos) return "";
  return path.substr(0, pos + 1);
}

std::string AbsolutePath(const std::string& path) {
  if (path.empty()) return path;
  std::error_code ec;
  const auto absolute = std::filesystem::absolute(path, ec);
  return ec ? path : absolute.lexically_normal().string();
}
