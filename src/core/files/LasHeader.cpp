#include "core/files/LasHeader.h"

#include <algorithm>
#include <cstring>

#include "core/common/ByteOrder.h"
#include "core/common/InputStream.h"
#include "core/files/LasRecordSummary.h"

namespace {

constexpr int kLegacyReturns = 5, kReturns64 = 15;

// Return-number bits of a point format's return byte (less the bits 7 and 6 that LAZ
// files set in it); 0 for a format not known here (above 10).
int ReturnBits(unsigned formatByte) {
  const unsigned format = formatByte & 0x3F;
  return format <= 5 ? 3 : format <= 10 ? 4 : 0;
}

}  // namespace

bool CLasHeader::Is13() const {
  return m_bytes[kVersionMajor] == 1 && static_cast<unsigned char>(m_bytes[kVersionMinor]) > 2;
}

bool CLasHeader::Is14() const {
  return m_bytes[kVersionMajor] == 1 && static_cast<unsigned char>(m_bytes[kVersionMinor]) > 3;
}

std::size_t CLasHeader::FieldsEnd() const { return Is14() ? kHeaderEnd14 : Is13() ? kHeaderEnd13 : kHeaderEnd; }

bool CLasHeader::Read(CInputStream& input) {
  m_size = 0;
  if (!input.Ensure(kHeaderEnd)) return false;
  std::memcpy(m_bytes.data(), input.Data(), kHeaderEnd);  // the version decides how many more
  const std::size_t end = FieldsEnd();
  if (!input.Ensure(end)) return false;
  std::memcpy(m_bytes.data(), input.Data(), end);
  m_size = end;
  return true;
}

bool CLasHeader::FitsFile(std::uint64_t fileSize, std::string* why) const {
  const std::uint64_t pointOffset = PointDataOffset();
  std::string problem;
  if (RecordLength() < kXyzBytes)
    problem = "Point records of " + std::to_string(RecordLength()) + " bytes cannot hold X, Y and Z";
  else if (pointOffset > fileSize)
    problem = "The point data is said to start at byte " + std::to_string(pointOffset) +
              ", beyond the end of the file (" + std::to_string(fileSize) + " bytes)";
  else if (pointOffset < FieldsEnd())
    problem = "The point data is said to start at byte " + std::to_string(pointOffset) + ", inside the LAS header";
  if (why) *why = problem;
  return problem.empty();
}

std::uint64_t CLasHeader::PointDataOffset() const {
  return ReadLittleEndian<std::uint32_t>(m_bytes.data() + kPointDataOffset);
}

std::size_t CLasHeader::RecordLength() const { return ReadLittleEndian<std::uint16_t>(m_bytes.data() + kRecordLength); }

unsigned CLasHeader::PointFormatByte() const { return static_cast<unsigned char>(m_bytes[kPointFormat]); }

std::uint64_t CLasHeader::HeaderSize() const { return ReadLittleEndian<std::uint16_t>(m_bytes.data() + kHeaderSize); }

std::uint64_t CLasHeader::VlrCount() const { return ReadLittleEndian<std::uint32_t>(m_bytes.data() + kVlrCount); }

std::uint64_t CLasHeader::ExtendedVlrStart() const {
  return Is14() ? ReadLittleEndian<std::uint64_t>(m_bytes.data() + kExtendedVlrStart) : 0;
}

std::uint64_t CLasHeader::ExtendedVlrCount() const {
  return Is14() ? ReadLittleEndian<std::uint32_t>(m_bytes.data() + kExtendedVlrCount) : 0;
}

bool CLasHeader::CrsIsWkt() const {
  constexpr unsigned kWktBit = 1u << 4;
  return Is14() && (ReadLittleEndian<std::uint16_t>(m_bytes.data() + kGlobalEncoding) & kWktBit) != 0;
}

std::uint64_t CLasHeader::PointCount() const {
  return Is14() ? ReadLittleEndian<std::uint64_t>(m_bytes.data() + kCount64)
                : ReadLittleEndian<std::uint32_t>(m_bytes.data() + kLegacyCount);
}

double CLasHeader::Scale(int axis) const { return ReadLittleEndian<double>(m_bytes.data() + kScale + 8 * axis); }

double CLasHeader::Offset(int axis) const { return ReadLittleEndian<double>(m_bytes.data() + kOffset + 8 * axis); }

bool CLasHeader::Open(const std::string& path) {
  m_file.open(path, std::ios::in | std::ios::out | std::ios::binary);
  if (!m_file) return false;
  m_bytes.fill(0);
  m_file.read(m_bytes.data(), static_cast<std::streamsize>(m_bytes.size()));
  m_size = static_cast<std::size_t>(m_file.gcount());
  const bool readOk = !m_file.bad();
  m_file.clear();  // a file shorter than the buffer ends the read early
  return readOk;
}

bool CLasHeader::SetCounts(std::uint64_t count, std::uint64_t bytesRemoved) {
  if (m_size < kLegacyCount + 4) return false;
  if (Is14() ? m_size < kHeaderEnd14 : Is13() && m_size < kHeaderEnd13) return false;
  char* h = m_bytes.data();
  if (ReadLittleEndian<std::uint32_t>(h + kLegacyCount) != 0)
    WriteLittleEndian(h + kLegacyCount, static_cast<std::uint32_t>(count));
  const auto moveBack = [&](std::size_t field) {
    const std::uint64_t start = ReadLittleEndian<std::uint64_t>(h + field);
    // A start that lies before the removed records (only in a damaged header) is left
    // as it was rather than wrapped around below zero.
    if (start != 0 && start >= bytesRemoved) WriteLittleEndian(h + field, start - bytesRemoved);
  };
  if (Is13()) moveBack(kWaveformStart);
  if (Is14()) {
    moveBack(kExtendedVlrStart);
    WriteLittleEndian(h + kCount64, count);
  }
  return true;
}

void CLasHeader::SetSummary(const CLasRecordSummary& records) {
  if (records.Records() == 0 || m_size < kLegacyCount) return;
  char* h = m_bytes.data();
  // Only bytes of the header itself are written: a header shorter than its version's
  // (damaged) is followed by variable-length records or points that must stay intact.
  const std::uint64_t end = std::min<std::uint64_t>({m_size, ReadLittleEndian<std::uint16_t>(h + kHeaderSize),
                                                     ReadLittleEndian<std::uint32_t>(h + kPointDataOffset)});
  const auto fits = [end](std::size_t offset, std::size_t bytes) { return offset + bytes <= end; };

  if (fits(kExtent, 6 * 8)) {
    for (int axis = 0; axis < 3; ++axis) {
      // integer x scale + offset is monotonic in the integer, rounding included
      // (rising under a positive scale, falling under a negative one), so the extremes
      // of the records' coordinates come from the extremes of their integers.
      const double a = records.Min(axis) * Scale(axis) + Offset(axis);
      const double b = records.Max(axis) * Scale(axis) + Offset(axis);
      WriteLittleEndian(h + kExtent + 16 * axis, std::max(a, b));
      WriteLittleEndian(h + kExtent + 16 * axis + 8, std::min(a, b));
    }
  }

  const int bits = ReturnBits(static_cast<unsigned char>(h[kPointFormat]));
  if (bits == 0) return;
  if (fits(kLegacyByReturn, 4 * kLegacyReturns) && ReadLittleEndian<std::uint32_t>(h + kLegacyCount) != 0) {
    for (int number = 1; number <= kLegacyReturns; ++number)
      WriteLittleEndian(h + kLegacyByReturn + 4 * (number - 1),
                        static_cast<std::uint32_t>(records.Returns(number, bits)));
  }
  if (Is14() && fits(kByReturn64, 8 * kReturns64)) {
    for (int number = 1; number <= kReturns64; ++number)
      WriteLittleEndian(h + kByReturn64 + 8 * (number - 1), records.Returns(number, bits));
  }
}

bool CLasHeader::SetLayout(std::uint32_t pointDataOffset, std::uint32_t vlrCount, std::uint64_t oldTail,
                           std::uint64_t newTail, std::uint32_t extendedCount) {
  if (m_size < FieldsEnd()) return false;
  char* h = m_bytes.data();
  WriteLittleEndian(h + kPointDataOffset, pointDataOffset);
  WriteLittleEndian(h + kVlrCount, vlrCount);
  if (Is13()) {
    const auto waveform = ReadLittleEndian<std::uint64_t>(h + kWaveformStart);
    if (waveform != 0 && waveform >= oldTail) WriteLittleEndian(h + kWaveformStart, waveform - oldTail + newTail);
  }
  if (Is14() && ExtendedVlrStart() != 0 && ExtendedVlrCount() != 0) {
    WriteLittleEndian(h + kExtendedVlrStart, extendedCount ? newTail : std::uint64_t{0});
    WriteLittleEndian(h + kExtendedVlrCount, extendedCount);
  }
  return true;
}

bool CLasHeader::Save() {
  m_file.seekp(0);
  m_file.write(m_bytes.data(), static_cast<std::streamsize>(m_size));
  m_file.close();
  return !m_file.fail();
}
