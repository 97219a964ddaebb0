#pragma once
// Helpers shared by the test executables: scratch folders and whole-file I/O.

#include <filesystem>
#include <string>

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

 private:
  std::filesystem::path m_path;
};

// Reads a whole file as bytes ("" when it cannot be read).
std::string ReadFileBytes(const std::string& path);
// Writes `bytes` to a file, replacing it.
void WriteFileBytes(const std::string& path, const std::string& bytes);
