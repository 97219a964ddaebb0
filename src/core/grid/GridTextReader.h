#pragma once
// Reads a text file line by line into a fixed buffer, the way fgets does: a line longer
// than the buffer comes in pieces, each piece counting as a line of its own. Bytes are
// read as they are (no newline translation) through one large block buffer.

#include <string>
#include <vector>

#include "core/common/FileHandle.h"

class CGridTextReader {
 public:
  bool Open(const std::string& path);
  void Close() { m_file.Reset(); }
  // Length of the file in bytes (determined when it was opened).
  long long Length() const { return m_length; }
  // Bytes handed out so far: the file position after the last line.
  long long Position() const { return m_position; }
  // Copies the next line, newline included, into `line` (at most size - 1 characters)
  // and terminates it with a zero. False at the end of the file or on a read error.
  bool NextLine(char* line, int size);
  // Back to the start of the file.
  void Rewind();

 private:
  bool Fill();

  CFileHandle m_file;
  std::vector<char> m_buffer;
  std::size_t m_begin = 0, m_end = 0;  // unread bytes of m_buffer
  long long m_length = 0;
  long long m_position = 0;
};
