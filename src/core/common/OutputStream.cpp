#include "core/common/OutputStream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

COutputStream::~COutputStream() { Close(); }  // what was written so far reaches the file

bool COutputStream::Open(const std::string& path) {
  Close();
  m_path = path;
  m_failed = false;
  m_error = 0;
  m_created = false;
  if (path.empty()) return false;
  if (!m_file.Open(path, "wb")) return false;
  m_created = true;
  std::setvbuf(m_file.Get(), nullptr, _IONBF, 0);  // we buffer ourselves
  if (!m_buffer) {
    m_buffer = std::make_unique_for_overwrite<char[]>(kFirstBufferSize);
    m_capacity = kFirstBufferSize;
  }
  m_used = 0;
  return true;
}

void COutputStream::Fail(int error) {
  if (!m_failed) m_error = error;
  m_failed = true;
}

bool COutputStream::Flush() {
  if (m_used == 0) return !m_failed;
  if (!m_failed) {
    errno = 0;
    if (std::fwrite(m_buffer.get(), 1, m_used, m_file.Get()) != m_used) Fail(errno);
  }
  m_used = 0;
  return !m_failed;
}

bool COutputStream::MakeRoom(std::size_t count) {
  if (count <= m_capacity - m_used) return true;
  if (count > kBlockSize - m_used && !Flush()) return false;
  if (count > m_capacity - m_used) {
    const std::size_t capacity = std::min(kBlockSize, std::max(2 * m_capacity, m_used + count));
    auto buffer = std::make_unique_for_overwrite<char[]>(capacity);
    std::memcpy(buffer.get(), m_buffer.get(), m_used);
    m_buffer = std::move(buffer);
    m_capacity = capacity;
  }
  return true;
}

bool COutputStream::WriteSlow(const char* data, std::size_t count) {
  if (!m_file.IsOpen() || m_failed) return false;
  if (count >= kDirectWrite) {
    if (!Flush()) return false;
    errno = 0;
    if (std::fwrite(data, 1, count, m_file.Get()) != count) Fail(errno);
    return !m_failed;
  }
  if (!MakeRoom(count)) return false;
  std::memcpy(m_buffer.get() + m_used, data, count);
  m_used += count;
  return true;
}

char* COutputStream::Reserve(std::size_t count) {
  if (!m_file.IsOpen() || m_failed || count > kBlockSize) return nullptr;
  if (!MakeRoom(count)) return nullptr;
  char* room = m_buffer.get() + m_used;
  m_used += count;
  return room;
}

bool COutputStream::Close() {
  if (!m_file.IsOpen()) return !m_failed;
  Flush();
  errno = 0;
  if (!m_file.Close()) Fail(errno);
  return !m_failed;
}
