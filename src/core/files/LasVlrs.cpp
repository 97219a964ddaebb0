#include "core/files/LasVlrs.h"

#include <cstring>
#include <string_view>

#include "core/common/ByteOrder.h"
#include "core/files/LasHeader.h"

namespace {

constexpr std::size_t kVlrHeader = 54, kEvlrHeader = 60;
constexpr std::size_t kUserAt = 2, kUserBytes = 16, kRecordIdAt = 18, kLengthAt = 20;

// Point data format bits that LASzip sets in a compressed file's header.
constexpr unsigned kCompressedFormatBits = 0x80 | 0x40;

// The user ID of a record header: up to its first NUL (writers leave other bytes behind
// it, as Leica's do).
std::string_view UserId(const char* header) {
  const char* user = header + kUserAt;
  const void* nul = std::memchr(user, 0, kUserBytes);
  return {user, nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - user) : kUserBytes};
}

// Whether the bytes at `header` read as a record header: reserved 0 (or 0xAABB, which
// LAS 1.0 asked for), a user ID of printable characters, and a record ending by `room`
// bytes after the header's start. Padding (zeros) and the LAS 1.0 signature do not.
bool LooksLikeRecord(const char* header, std::uint64_t room) {
  const auto reserved = ReadLittleEndian<std::uint16_t>(header);
  const std::string_view user = UserId(header);
  if ((reserved != 0 && reserved != 0xAABB) || user.empty()) return false;
  for (const char c : user)
    if (c < 0x20 || c > 0x7E) return false;
  return kVlrHeader + ReadLittleEndian<std::uint16_t>(header + kLengthAt) <= room;
}

}  // namespace

bool CLasVlrs::ReadAt(std::uint64_t offset, char* out, std::size_t count) {
  m_file.clear();
  m_file.seekg(static_cast<std::streamoff>(offset));
  m_file.read(out, static_cast<std::streamsize>(count));
  return m_file.gcount() == static_cast<std::streamsize>(count);
}

void CLasVlrs::Keep(const char* header, const Record& record, std::size_t headerSize, bool extended) {
  const std::string_view user = UserId(header);
  const auto id = ReadLittleEndian<std::uint16_t>(header + kRecordIdAt);
  if (user == "laszip encoded" && id == 22204) {
    m_laszip = true;
    if (!m_laszipRecord) m_laszipRecord = record;
  }
  if (user == "copc") {
    constexpr std::uint16_t kCopcInfo = 1;
    if (id == kCopcInfo && !extended) m_copcInfo = true;
    m_copc.push_back({record.offset - headerSize, headerSize + record.length});
  }
  if (user != "LASF_Projection") return;
  if (id == 34735 && !m_geoKeys) m_geoKeys = record;
  if (id == 34737 && !m_geoAscii) m_geoAscii = record;
  if (id == 2112 && (!m_wkt || extended)) m_wkt = record;
}

void CLasVlrs::CountUncounted(std::uint64_t position, std::uint64_t end) {
  char header[kVlrHeader];
  // Each record found moves on by at least its header: the loop ends within the bytes.
  while (position <= end && end - position >= kVlrHeader && ReadAt(position, header, kVlrHeader) &&
         LooksLikeRecord(header, end - position)) {
    ++m_uncounted;
    position += kVlrHeader + ReadLittleEndian<std::uint16_t>(header + kLengthAt);
  }
}

bool CLasVlrs::IsCompressed(const CLasHeader& header) const {
  return (header.PointFormatByte() & kCompressedFormatBits) != 0 || m_laszip;
}

bool CLasVlrs::Read(const std::string& path, std::uint64_t fileSize, const CLasHeader& header, std::string& why) {
  m_laszip = m_copcInfo = false;
  m_uncounted = 0;
  m_geoKeys.reset();
  m_geoAscii.reset();
  m_wkt.reset();
  m_laszipRecord.reset();
  m_copc.clear();
  m_file.close();
  m_file.open(path, std::ios::binary);
  if (!m_file) {
    why = "The file cannot be read";
    return false;
  }

  // The chain: the header counts the records, and they must end by the point data.
  const std::uint64_t end = header.PointDataOffset(), count = header.VlrCount();
  std::uint64_t position = header.HeaderSize();
  char record[kEvlrHeader];
  for (std::uint64_t i = 0; i < count; ++i) {
    const bool fits = position <= end && end - position >= kVlrHeader && ReadAt(position, record, kVlrHeader) &&
                      ReadLittleEndian<std::uint16_t>(record + kLengthAt) <= end - position - kVlrHeader;
    if (!fits) {
      why = "The header counts " + std::to_string(count) + " variable-length records, but record " +
            std::to_string(i + 1) + " runs past the start of the point data (byte " + std::to_string(end) + ")";
      return false;
    }
    const Record data{position + kVlrHeader, ReadLittleEndian<std::uint16_t>(record + kLengthAt)};
    Keep(record, data, kVlrHeader, false);
    position = data.offset + data.length;
  }
  CountUncounted(position, end);

  // The extended records from 1.4, after the point data; a start of 0 means none.
  std::uint64_t extended = header.ExtendedVlrStart();
  const std::uint64_t extendedCount = header.ExtendedVlrCount();
  for (std::uint64_t i = 0; i < extendedCount && extended >= end && extended <= fileSize; ++i) {
    if (fileSize - extended < kEvlrHeader || !ReadAt(extended, record, kEvlrHeader)) break;
    const Record data{extended + kEvlrHeader, ReadLittleEndian<std::uint64_t>(record + kLengthAt)};
    if (data.length > fileSize - data.offset) break;
    Keep(record, data, kEvlrHeader, true);
    extended = data.offset + data.length;
  }
  return true;
}

std::string CLasVlrs::Bytes(const std::optional<Record>& record, std::size_t limit) {
  if (!record || record->length > limit) return "";
  std::string bytes(static_cast<std::size_t>(record->length), '\0');
  return ReadAt(record->offset, bytes.data(), bytes.size()) ? bytes : "";
}
