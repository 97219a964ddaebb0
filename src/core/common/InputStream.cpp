#include "core/common/InputStream.h"

#include <algorithm>
#include <cstring>

#include "core/common/OutputStream.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

}  // namespace

CInputStream::~CInputStream() = default;

bool CInputStream::Open(const std::string& path, std::size_t blockSize) {
  Close();
  if (!m_file.Open(path, "rb")) return false;
  std::FILE* file = m_file.Get();
  std::setvbuf(file, nullptr, _IONBF, 0);  // we buffer ourselves
  // The size serves progress percentages and the LAS offset check; a file whose end
  // cannot be found (a pipe) counts as empty.
  bool sizeKnown = false;
  if (std::fseek(file, 0, SEEK_END) == 0) {
    const long long size = ftello(file);
    m_size = size > 0 ? static_cast<std::uint64_t>(size) : 0;
    sizeKnown = size >= 0;
  }
  std::fseek(file, 0, SEEK_SET);
  // No larger than the file: most survey files are far smaller than a block, and a
  // megabyte allocated (and paged in) per file would cost more than reading them.
  if (sizeKnown && m_size < blockSize) blockSize = static_cast<std::size_t>(m_size);
  blockSize = std::max(blockSize, kSmallBlockSize);
  if (!m_buffer || m_blockSize != blockSize) {
    m_buffer = std::make_unique_for_overwrite<char[]>(blockSize);
    m_blockSize = blockSize;
  }
  return true;
}

void CInputStream::Close() {
  m_file.Reset();
  m_begin = m_end = 0;
  m_size = m_consumed = 0;
  m_eof = m_failed = false;
}

bool CInputStream::Refill() {
  if (!m_file.IsOpen() || m_eof) return false;
  const std::size_t left = Available();
  if (m_begin > 0) {
    if (left > 0) std::memmove(m_buffer.get(), m_buffer.get() + m_begin, left);
    m_begin = 0;
    m_end = left;
  }
  if (m_end == m_blockSize) return true;  // already full
  const std::size_t n = std::fread(m_buffer.get() + m_end, 1, m_blockSize - m_end, m_file.Get());
  m_end += n;
  if (n == 0) {
    if (std::ferror(m_file.Get())) m_failed = true;
    m_eof = true;
  }
  return n > 0;
}

bool CInputStream::ReadLine(std::string_view& line) {
  if (Available() < kMaxLine) Refill();
  const std::size_t avail = Available();
  if (avail == 0) return false;
  const char* start = Data();
  const std::size_t limit = std::min(avail, kMaxLine);
  const void* lf = std::memchr(start, '\n', limit);
  const std::size_t n = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - start) + 1 : limit;
  line = std::string_view(start, n);
  Skip(n);
  return true;
}

bool CInputStream::ReadToken(std::string_view& token) {
  for (;;) {
    if (Available() == 0 && !Refill()) return false;
    const char* p = Data();
    const char* end = p + Available();
    while (p < end && IsBlank(*p)) ++p;
    Skip(static_cast<std::size_t>(p - Data()));
    if (p < end) break;
  }
  if (Available() < kMaxLine) Refill();
  const char* start = Data();
  const std::size_t limit = std::min(Available(), kMaxLine);
  std::size_t n = 0;
  while (n < limit && !IsBlank(start[n])) ++n;
  token = std::string_view(start, n);
  Skip(n);
  return true;
}

bool CInputStream::EnsureSlow(std::size_t count) {
  if (count > m_blockSize) return false;
  while (Available() < count) {
    if (!Refill()) return false;
  }
  return true;
}

std::size_t CInputStream::Read(char* out, std::size_t count) {
  std::size_t done = std::min(count, Available());
  if (done > 0) {
    std::memcpy(out, Data(), done);
    Skip(done);
  }
  while (done < count && m_file.IsOpen() && !m_eof) {
    const std::size_t n = std::fread(out + done, 1, count - done, m_file.Get());
    if (n == 0) {
      if (std::ferror(m_file.Get())) m_failed = true;
      m_eof = true;
      break;
    }
    done += n;
    m_consumed += n;
  }
  return done;
}

bool CInputStream::CopyTo(std::uint64_t count, COutputStream* first, COutputStream* second) {
  while (count > 0) {
    if (Available() == 0 && !Refill()) return false;
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(count, Available()));
    if (first && !first->Write(Data(), n)) return false;
    if (second && !second->Write(Data(), n)) return false;
    Skip(n);
    count -= n;
  }
  return true;
}

bool CInputStream::CopyRestTo(COutputStream* first, COutputStream* second) {
  for (;;) {
    if (Available() == 0 && !Refill()) return !m_failed;
    const std::size_t n = Available();
    if (first && !first->Write(Data(), n)) return false;
    if (second && !second->Write(Data(), n)) return false;
    Skip(n);
  }
}
