// A bench's scratch folder and files under the system's temporary folder ($TMPDIR when set),
// made with unique names so two benches can run side by side.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

// A new folder named `<name>-XXXXXX`; the bench ends when none can be made.
inline std::filesystem::path MakeBenchDir(const std::string& name) {
  std::string pattern = (std::filesystem::temp_directory_path() / (name + "-XXXXXX")).string();
  if (mkdtemp(pattern.data()) == nullptr) std::exit(1);
  return pattern;
}

// A new empty file named `<name>-XXXXXX`, closed; the bench ends when none can be made.
inline std::string MakeBenchFile(const std::string& name) {
  std::string pattern = (std::filesystem::temp_directory_path() / (name + "-XXXXXX")).string();
  const int fd = mkstemp(pattern.data());
  if (fd < 0) std::exit(1);
  close(fd);
  return pattern;
}
