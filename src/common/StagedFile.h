#pragma once
// An output written under a temporary name beside its final path and moved into place
// only when complete: a failed or cancelled write never leaves a half-written file, nor
// destroys the file of that name that was there before.

#include <string>

class CStagedFile {
 public:
  explicit CStagedFile(std::string finalPath);
  // Removes the temporary file unless it was committed.
  ~CStagedFile();
  CStagedFile(const CStagedFile&) = delete;
  CStagedFile& operator=(const CStagedFile&) = delete;

  // Where to write: the final path plus a suffix unique to this process and object.
  const std::string& GetTempPath() const { return m_tempPath; }
  // Renames the written temporary file to the final path, replacing what is there.
  // False, with the system's reason in `error`, when that fails.
  bool Commit(std::string& error);

 private:
  std::string m_finalPath;
  std::string m_tempPath;
  bool m_committed = false;
};
