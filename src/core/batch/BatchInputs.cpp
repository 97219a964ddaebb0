#include "core/batch/BatchInputs.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// A path with links and "." / ".." resolved as far as it exists; the path itself when
// even that fails.
std::string CanonicalText(const std::string& path) {
  std::error_code ec;
  const fs::path canonical = fs::weakly_canonical(fs::path(path), ec);
  return ec ? path : canonical.string();
}

}  // namespace

CBatchInputs::CBatchInputs(const std::vector<std::string>& files) : m_files(files) {
  for (const std::string& file : files) m_canonical.insert(CanonicalText(file));
}

bool CBatchInputs::IsInput(const std::string& output) const {
  if (output.empty()) return false;  // the handler itself fails on an empty name
  if (m_canonical.count(CanonicalText(output)) != 0) return true;
  std::error_code ec;
  if (!fs::exists(output, ec) || fs::hard_link_count(output, ec) <= 1 || ec) return false;
  for (const std::string& file : m_files) {
    if (fs::equivalent(output, file, ec) && !ec) return true;
  }
  return false;
}
