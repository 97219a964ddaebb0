#pragma once
// Buffered binary writing of one output file, owned for the object's life. The file
// is created (or truncated) by Open and closed by Close or the destructor. A write
// that fails sticks: every later Write answers false, and Error keeps the system's
// reason for the first failure. The buffer starts small and grows with what is
// written up to kBlockSize: a small output costs no megabyte, and a large one is still
// written out a whole block at a time.

#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "core/common/FileHandle.h"

class COutputStream {
 public:
  static constexpr std::size_t kBlockSize = 1 << 20;
  static constexpr std::size_t kFirstBufferSize = 1 << 16;

  COutputStream() = default;
  ~COutputStream();
  COutputStream(const COutputStream&) = delete;
  COutputStream& operator=(const COutputStream&) = delete;

  // Creates the file for binary writing; false (and not open) when it cannot. An empty
  // path always fails.
  bool Open(const std::string& path);
  bool IsOpen() const { return m_file.IsOpen(); }
  const std::string& GetPath() const { return m_path; }
  // Whether Open created the file (only such a file may be deleted again).
  bool WasCreated() const { return m_created; }

  // A piece at least this long goes straight to the file (after the bytes buffered
  // before it): copying it into the buffer first would gain nothing.
  static constexpr std::size_t kDirectWrite = kBlockSize / 4;
  bool Write(const char* data, std::size_t count) {
    if (count <= m_capacity - m_used && count < kDirectWrite && m_file.IsOpen() && !m_failed) {
      std::memcpy(m_buffer.get() + m_used, data, count);
      m_used += count;
      return true;
    }
    return WriteSlow(data, count);
  }
  bool Write(std::string_view text) { return Write(text.data(), text.size()); }
  // Room for `count` (at most kBlockSize) bytes that the caller fills at once; null when
  // a write failed.
  char* Reserve(std::size_t count);
  // Writes out the buffer and closes the file; false when any write failed. Closing a
  // file that is not open succeeds.
  bool Close();
  bool Failed() const { return m_failed; }
  // The errno of the first write or close that failed; 0 when none failed, or when the
  // system gave no reason.
  int Error() const { return m_error; }

 private:
  bool WriteSlow(const char* data, std::size_t count);
  // Room for `count` (at most kBlockSize) more bytes in the buffer: it grows while what
  // it holds stays within a block, else it is written out first.
  bool MakeRoom(std::size_t count);
  bool Flush();
  // Marks the stream failed, keeping `error` when it is the first failure.
  void Fail(int error);

  CFileHandle m_file;
  std::string m_path;
  std::unique_ptr<char[]> m_buffer;
  std::size_t m_capacity = 0, m_used = 0;
  bool m_failed = false;
  int m_error = 0;
  bool m_created = false;
};
