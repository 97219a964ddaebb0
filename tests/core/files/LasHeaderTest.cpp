// The LAS header on its own, without a transform: the fields the record pass reads, by
// version, and the checks against the file's size that come before any record is read.

#include <gtest/gtest.h>

#include <cstring>

#include "core/common/ByteOrder.h"
#include "core/common/InputStream.h"
#include "core/files/LasHeader.h"
#include "support/TestSupport.h"

namespace {

using enum CLasHeader::Field;

// A header of `size` bytes of version 1.minor: 20-byte records from `pointOffset`,
// 7 points in the legacy count and 9 in the 64-bit one, scales 0.5, 0.25, 0.125.
std::string Header(int minor, std::size_t size, std::uint32_t pointOffset) {
  std::string bytes(size, '\0');
  std::memcpy(bytes.data(), "LASF", 4);
  bytes[kVersionMajor] = 1;
  bytes[kVersionMinor] = static_cast<char>(minor);
  WriteLittleEndian(bytes.data() + kPointDataOffset, pointOffset);
  WriteLittleEndian<std::uint16_t>(bytes.data() + kRecordLength, 20);
  WriteLittleEndian<std::uint32_t>(bytes.data() + kLegacyCount, 7);
  for (int axis = 0; axis < 3; ++axis) {
    WriteLittleEndian(bytes.data() + kScale + 8 * axis, 0.5 / (1 << axis));
    WriteLittleEndian(bytes.data() + kOffset + 8 * axis, 100.0 * axis);
  }
  if (size >= kHeaderEnd14) WriteLittleEndian<std::uint64_t>(bytes.data() + kCount64, 9);
  return bytes;
}

class LasHeaderTest : public ::testing::Test {
 protected:
  // Reads the header of `bytes` as the handler does; false when the file is too short.
  bool Read(const std::string& bytes) {
    WriteFileBytes(m_dir.File("h.las"), bytes);
    EXPECT_TRUE(m_input.Open(m_dir.File("h.las")));
    const bool read = m_header.Read(m_input);
    EXPECT_EQ(m_input.Position(), 0u);  // the header stays to be copied
    return read;
  }

  CScratchDir m_dir;
  CInputStream m_input;
  CLasHeader m_header;
};

TEST_F(LasHeaderTest, FieldsEndWhereTheVersionSays) {
  EXPECT_FALSE(Read(Header(2, kHeaderEnd - 1, 0)));
  ASSERT_TRUE(Read(Header(2, kHeaderEnd, kHeaderEnd)));
  EXPECT_EQ(m_header.PointCount(), 7u);
  EXPECT_EQ(m_header.RecordLength(), 20u);
  EXPECT_EQ(m_header.Scale(2), 0.125);
  EXPECT_EQ(m_header.Offset(1), 100.0);
  EXPECT_FALSE(Read(Header(3, kHeaderEnd13 - 1, 0)));
  EXPECT_TRUE(Read(Header(3, kHeaderEnd13, kHeaderEnd13)));
  EXPECT_FALSE(Read(Header(4, kHeaderEnd14 - 1, 0)));
  ASSERT_TRUE(Read(Header(4, kHeaderEnd14, kHeaderEnd14)));
  EXPECT_EQ(m_header.PointCount(), 9u);  // 1.4: the 64-bit count
}

TEST_F(LasHeaderTest, PointDataMustStartAfterTheFieldsAndWithinTheFile) {
  const std::size_t size = 300;
  for (const auto& [minor, offset, fits] : {std::tuple<int, std::size_t, bool>{2, kHeaderEnd, true},
                                            {2, kHeaderEnd - 1, false},
                                            {2, size, true},  // no records, but a LAS file
                                            {2, size + 1, false},
                                            {4, kHeaderEnd14, true},
                                            {4, kHeaderEnd14 - 1, false}}) {
    ASSERT_TRUE(Read(Header(minor, size, static_cast<std::uint32_t>(offset))));
    EXPECT_EQ(m_header.FitsFile(size), fits) << "1." << minor << " offset " << offset;
  }
  std::string shortRecords = Header(2, size, kHeaderEnd);
  WriteLittleEndian<std::uint16_t>(shortRecords.data() + kRecordLength, CLasHeader::kXyzBytes - 1);
  ASSERT_TRUE(Read(shortRecords));
  EXPECT_FALSE(m_header.FitsFile(size));
}

}  // namespace
