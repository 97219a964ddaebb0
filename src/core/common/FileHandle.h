#pragma once
// An open C stream owned by one object: the stream is closed when the object goes, and
// Close tells whether closing (which writes out what the C library still buffers)
// succeeded. Every file the core opens through the C library is held by one of these.

#include <cstdio>
#include <string>
#include <utility>

class CFileHandle {
 public:
  CFileHandle() = default;
  // Opens `path` in an fopen mode ("rb", "wb", "r+b", "a" ...); IsOpen tells whether
  // that succeeded.
  CFileHandle(const std::string& path, const char* mode) { Open(path, mode); }
  ~CFileHandle() { Reset(); }
  CFileHandle(CFileHandle&& other) noexcept : m_file(std::exchange(other.m_file, nullptr)) {}
  CFileHandle& operator=(CFileHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      m_file = std::exchange(other.m_file, nullptr);
    }
    return *this;
  }
  CFileHandle(const CFileHandle&) = delete;
  CFileHandle& operator=(const CFileHandle&) = delete;

  // Closes the stream held (if any), then opens `path`; false when it cannot be opened.
  bool Open(const std::string& path, const char* mode) {
    Reset();
    m_file = std::fopen(path.c_str(), mode);
    return m_file != nullptr;
  }
  bool IsOpen() const { return m_file != nullptr; }
  std::FILE* Get() const { return m_file; }

  // Closes the stream; false when the close failed. Closing no stream succeeds.
  bool Close() { return m_file == nullptr || std::fclose(std::exchange(m_file, nullptr)) == 0; }
  // Closes the stream without asking how it went (a file only read, or abandoned).
  void Reset() {
    if (m_file) std::fclose(std::exchange(m_file, nullptr));
  }

 private:
  std::FILE* m_file = nullptr;
};
