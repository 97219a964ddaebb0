#pragma once
// Buffered binary reading of one input file, owned for the object's life. Lines are
// handed out the way a 5096-character fgets buffer would cut them (at most 5095 bytes,
// ending after the line feed when there is one), but as views into one large block
// buffer, so a file is read with a few large reads instead of one call per line. Bytes
// are never translated: a CR before the LF stays part of the line.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/common/FileHandle.h"

class COutputStream;

class CInputStream {
 public:
  static constexpr std::size_t kMaxLine = 5095;  // longest line piece, as the 5096-char buffer
  static constexpr std::size_t kBlockSize = 1 << 20;

  CInputStream() = default;
  ~CInputStream();
  CInputStream(const CInputStream&) = delete;
  CInputStream& operator=(const CInputStream&) = delete;

  // A buffer for looking at the first lines only (format detection).
  static constexpr std::size_t kSmallBlockSize = 4 * kMaxLine;

  // Opens the file for binary reading with a buffer of `blockSize` bytes, or of the
  // file's size when that is smaller (at least kSmallBlockSize); false when it cannot be
  // opened.
  bool Open(const std::string& path, std::size_t blockSize = kBlockSize);
  void Close();
  bool IsOpen() const { return m_file.IsOpen(); }
  // Size of the file in bytes (found at Open).
  std::uint64_t Size() const { return m_size; }
  // Bytes handed out so far (the reading position of the caller).
  std::uint64_t Position() const { return m_consumed; }
  // A read error (as opposed to the end of the file) has happened.
  bool Failed() const { return m_failed; }

  // The next line piece; false at the end of the file. The view stays valid until the
  // next call on this object.
  bool ReadLine(std::string_view& line);
  // The next token delimited by white space (space, tab, CR, LF, VT, FF), at most
  // kMaxLine bytes (a longer run of text gives several tokens); false when none is left.
  bool ReadToken(std::string_view& token);
  // Makes `count` (at most kSmallBlockSize, or the block size of a file at least that
  // large) bytes available at Data(); false when the file ends first (the available
  // bytes stay unread).
  bool Ensure(std::size_t count) { return Available() >= count || EnsureSlow(count); }
  const char* Data() const { return m_buffer.get() + m_begin; }
  void Skip(std::size_t count) {
    m_begin += count;
    m_consumed += count;
  }
  // Reads up to `count` bytes into `out`: the buffered bytes first, the rest straight
  // from the file. Fewer only at the end of the file or after a read error.
  std::size_t Read(char* out, std::size_t count);
  // Copies `count` bytes to both outputs (either may be null); false when the input ends
  // first or a write fails.
  bool CopyTo(std::uint64_t count, COutputStream* first, COutputStream* second);
  // Copies everything up to the end of the file; false when a write fails.
  bool CopyRestTo(COutputStream* first, COutputStream* second);

 private:
  std::size_t Available() const { return m_end - m_begin; }
  bool EnsureSlow(std::size_t count);
  // Moves the unread bytes to the buffer start and reads more behind them.
  bool Refill();

  CFileHandle m_file;
  std::unique_ptr<char[]> m_buffer;
  std::size_t m_blockSize = 0;
  std::size_t m_begin = 0, m_end = 0;
  std::uint64_t m_size = 0, m_consumed = 0;
  bool m_eof = false, m_failed = false;
};
