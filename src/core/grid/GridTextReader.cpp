#include "core/grid/GridTextReader.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace {
constexpr std::size_t kBlockSize = 1 << 20;
}

bool CGridTextReader::Open(const std::string& path) {
  // A folder opens for reading on some systems and then reads as nothing at all.
  std::error_code folderError;
  if (std::filesystem::is_directory(path, folderError)) return false;
  if (!m_file.Open(path, "rb")) return false;
  std::error_code ec;
  const auto length = std::filesystem::file_size(path, ec);
  m_length = ec ? 0 : static_cast<long long>(length);
  // No larger than the file: a small text costs no megabyte.
  m_buffer.resize(ec ? kBlockSize : std::clamp<std::size_t>(static_cast<std::size_t>(length), BUFSIZ, kBlockSize));
  Rewind();
  return true;
}

void CGridTextReader::Rewind() {
  if (m_file.IsOpen()) std::fseek(m_file.Get(), 0, SEEK_SET);
  m_begin = m_end = 0;
  m_position = 0;
}

bool CGridTextReader::Fill() {
  if (!m_file.IsOpen()) return false;
  m_begin = 0;
  m_end = std::fread(m_buffer.data(), 1, m_buffer.size(), m_file.Get());
  return m_end > 0;
}

bool CGridTextReader::NextLine(char* line, int size) {
  const std::size_t capacity = size > 1 ? static_cast<std::size_t>(size - 1) : 0;
  std::size_t length = 0;
  while (length < capacity) {
    if (m_begin == m_end && !Fill()) break;
    const char* start = m_buffer.data() + m_begin;
    const std::size_t available = std::min(m_end - m_begin, capacity - length);
    const void* newline = std::memchr(start, '\n', available);
    const std::size_t take = newline ? static_cast<const char*>(newline) - start + 1 : available;
    std::memcpy(line + length, start, take);
    length += take;
    m_begin += take;
    m_position += static_cast<long long>(take);
    if (newline) break;
  }
  if (length == 0) return false;
  line[length] = '\0';
  return true;
}
