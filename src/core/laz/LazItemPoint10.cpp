#include "core/laz/LazItemPoint10.h"

#include <algorithm>

#include "core/common/ByteOrder.h"

namespace {

// Return context m by [number of returns n][return number r]: 0 to 14 for the pairs of a
// well-numbered pulse (n 1 to 5), the others spread over further contexts.
constexpr std::uint8_t kReturnContext[8][8] = {{15, 14, 13, 12, 11, 10, 9, 8},  {14, 0, 1, 3, 6, 10, 10, 9},
                                               {13, 1, 2, 4, 7, 11, 11, 10},    {12, 3, 4, 5, 8, 12, 12, 11},
                                               {11, 6, 7, 8, 9, 13, 13, 12},    {10, 10, 11, 12, 13, 14, 14, 13},
                                               {9, 10, 11, 12, 13, 14, 15, 14}, {8, 9, 10, 11, 12, 13, 14, 15}};
// Return level l by [n][r]: how far the return lies from the last (|n - r|).
constexpr std::uint8_t kReturnLevel[8][8] = {
    {0, 1, 2, 3, 4, 5, 6, 7}, {1, 0, 1, 2, 3, 4, 5, 6}, {2, 1, 0, 1, 2, 3, 4, 5}, {3, 2, 1, 0, 1, 2, 3, 4},
    {4, 3, 2, 1, 0, 1, 2, 3}, {5, 4, 3, 2, 1, 0, 1, 2}, {6, 5, 4, 3, 2, 1, 0, 1}, {7, 6, 5, 4, 3, 2, 1, 0}};

// Byte offsets in the item.
constexpr std::size_t kX = 0, kY = 4, kZ = 8, kIntensity = 12, kFlags = 14, kClassification = 15, kScanAngle = 16,
                      kUserData = 17, kPointSource = 18;

// The bits of the changed mask.
constexpr std::uint32_t kFlagsChanged = 32, kIntensityChanged = 16, kClassChanged = 8, kScanAngleChanged = 4,
                        kUserDataChanged = 2, kPointSourceChanged = 1;

std::uint32_t ReturnNumber(std::uint8_t flags) { return flags & 7u; }
std::uint32_t NumberOfReturns(std::uint8_t flags) { return (flags >> 3) & 7u; }
std::uint32_t ScanDirection(std::uint8_t flags) { return (flags >> 6) & 1u; }

// Y's model context from X's k, Z's from the mean k of X and Y: even k up to a cap,
// plus 1 for single returns.
std::uint32_t YContext(std::uint32_t single, std::uint32_t kx) { return single + (kx < 20 ? (kx & ~1u) : 20); }
std::uint32_t ZContext(std::uint32_t single, std::uint32_t kxy) { return single + (kxy < 18 ? (kxy & ~1u) : 18); }

}  // namespace

CLazPoint10Coder::CLazPoint10Coder() = default;

CLazSymbolModel& CLazPoint10Coder::ByValue(CByValue& group, std::uint8_t previous) {
  std::unique_ptr<CLazSymbolModel>& model = group.models[previous];
  if (!model) {
    model = std::make_unique<CLazSymbolModel>(256);
  } else if (group.chunk[previous] != m_chunk) {
    model->Reset();
  }
  group.chunk[previous] = m_chunk;
  return *model;
}

void CLazPoint10Coder::Init(const std::uint8_t* first) {
  m_lastIntensity.fill(0);
  m_lastHeight.fill(0);
  for (CLazMedianOfFive& median : m_xDiffs) median.Reset();
  for (CLazMedianOfFive& median : m_yDiffs) median.Reset();
  m_changed.Reset();
  m_intensity.Reset();
  m_scanAngle[0].Reset();
  m_scanAngle[1].Reset();
  m_pointSource.Reset();
  // The models by value reset as they are used. Chunk numbers start at 1, so that 0
  // never matches (after 2^32 chunks too).
  if (++m_chunk == 0) {
    m_chunk = 1;
    for (CByValue* group : {&m_flagsModels, &m_classModels, &m_userDataModels}) group->chunk.fill(0);
  }
  m_dx.Reset();
  m_dy.Reset();
  m_z.Reset();

  m_last.x = ReadLittleEndian<std::int32_t>(first + kX);
  m_last.y = ReadLittleEndian<std::int32_t>(first + kY);
  m_last.z = ReadLittleEndian<std::int32_t>(first + kZ);
  m_last.flags = first[kFlags];
  m_last.classification = first[kClassification];
  m_last.scanAngle = first[kScanAngle];
  m_last.userData = first[kUserData];
  m_last.pointSource = ReadLittleEndian<std::uint16_t>(first + kPointSource);
}

void CLazPoint10Coder::Write(std::uint8_t* item, std::uint16_t intensity) const {
  WriteLittleEndian(item + kX, m_last.x);
  WriteLittleEndian(item + kY, m_last.y);
  WriteLittleEndian(item + kZ, m_last.z);
  WriteLittleEndian(item + kIntensity, intensity);
  item[kFlags] = m_last.flags;
  item[kClassification] = m_last.classification;
  item[kScanAngle] = m_last.scanAngle;
  item[kUserData] = m_last.userData;
  WriteLittleEndian(item + kPointSource, m_last.pointSource);
}

void CLazPoint10Coder::Decode(CLazArithmeticDecoder& decoder, std::uint8_t* item) {
  const std::uint32_t changed = decoder.DecodeSymbol(m_changed);
  if (changed & kFlagsChanged) {
    m_last.flags = static_cast<std::uint8_t>(decoder.DecodeSymbol(ByValue(m_flagsModels, m_last.flags)));
  }
  const std::uint32_t r = ReturnNumber(m_last.flags);
  const std::uint32_t n = NumberOfReturns(m_last.flags);
  const std::uint32_t m = kReturnContext[n][r];
  const std::uint32_t l = kReturnLevel[n][r];
  if (changed & kIntensityChanged) {
    m_lastIntensity[m] =
        static_cast<std::uint16_t>(m_intensity.Decompress(decoder, m_lastIntensity[m], std::min<std::uint32_t>(m, 3)));
  }
  if (changed & kClassChanged) {
    m_last.classification =
        static_cast<std::uint8_t>(decoder.DecodeSymbol(ByValue(m_classModels, m_last.classification)));
  }
  if (changed & kScanAngleChanged) {
    // A byte difference, modulo 256.
    m_last.scanAngle =
        static_cast<std::uint8_t>(decoder.DecodeSymbol(m_scanAngle[ScanDirection(m_last.flags)]) + m_last.scanAngle);
  }
  if (changed & kUserDataChanged) {
    m_last.userData = static_cast<std::uint8_t>(decoder.DecodeSymbol(ByValue(m_userDataModels, m_last.userData)));
  }
  if (changed & kPointSourceChanged) {
    m_last.pointSource = static_cast<std::uint16_t>(m_pointSource.Decompress(decoder, m_last.pointSource));
  }

  const std::uint32_t single = n == 1;
  const std::int32_t dx = m_dx.Decompress(decoder, m_xDiffs[m].Get(), single);
  m_last.x = LazWrapAdd(m_last.x, dx);
  m_xDiffs[m].Add(dx);
  const std::int32_t dy = m_dy.Decompress(decoder, m_yDiffs[m].Get(), YContext(single, m_dx.GetK()));
  m_last.y = LazWrapAdd(m_last.y, dy);
  m_yDiffs[m].Add(dy);
  m_last.z = m_z.Decompress(decoder, m_lastHeight[l], ZContext(single, (m_dx.GetK() + m_dy.GetK()) / 2));
  m_lastHeight[l] = m_last.z;

  Write(item, m_lastIntensity[m]);
}

void CLazPoint10Coder::Encode(CLazArithmeticEncoder& encoder, const std::uint8_t* item) {
  const std::uint8_t flags = item[kFlags];
  const std::uint32_t r = ReturnNumber(flags);
  const std::uint32_t n = NumberOfReturns(flags);
  const std::uint32_t m = kReturnContext[n][r];
  const std::uint32_t l = kReturnLevel[n][r];
  const std::uint16_t intensity = ReadLittleEndian<std::uint16_t>(item + kIntensity);
  const std::uint16_t pointSource = ReadLittleEndian<std::uint16_t>(item + kPointSource);

  const std::uint32_t changed = (m_last.flags != flags ? kFlagsChanged : 0) |
                                (m_lastIntensity[m] != intensity ? kIntensityChanged : 0) |
                                (m_last.classification != item[kClassification] ? kClassChanged : 0) |
                                (m_last.scanAngle != item[kScanAngle] ? kScanAngleChanged : 0) |
                                (m_last.userData != item[kUserData] ? kUserDataChanged : 0) |
                                (m_last.pointSource != pointSource ? kPointSourceChanged : 0);
  encoder.EncodeSymbol(m_changed, changed);
  if (changed & kFlagsChanged) encoder.EncodeSymbol(ByValue(m_flagsModels, m_last.flags), flags);
  if (changed & kIntensityChanged) {
    m_intensity.Compress(encoder, m_lastIntensity[m], intensity, std::min<std::uint32_t>(m, 3));
    m_lastIntensity[m] = intensity;
  }
  if (changed & kClassChanged) {
    encoder.EncodeSymbol(ByValue(m_classModels, m_last.classification), item[kClassification]);
  }
  if (changed & kScanAngleChanged) {
    encoder.EncodeSymbol(m_scanAngle[ScanDirection(flags)],
                         static_cast<std::uint8_t>(item[kScanAngle] - m_last.scanAngle));
  }
  if (changed & kUserDataChanged) encoder.EncodeSymbol(ByValue(m_userDataModels, m_last.userData), item[kUserData]);
  if (changed & kPointSourceChanged) m_pointSource.Compress(encoder, m_last.pointSource, pointSource);

  const std::uint32_t single = n == 1;
  const std::int32_t x = ReadLittleEndian<std::int32_t>(item + kX);
  const std::int32_t y = ReadLittleEndian<std::int32_t>(item + kY);
  const std::int32_t z = ReadLittleEndian<std::int32_t>(item + kZ);
  const std::int32_t dx = LazWrapSub(x, m_last.x);
  m_dx.Compress(encoder, m_xDiffs[m].Get(), dx, single);
  m_xDiffs[m].Add(dx);
  const std::int32_t dy = LazWrapSub(y, m_last.y);
  m_dy.Compress(encoder, m_yDiffs[m].Get(), dy, YContext(single, m_dx.GetK()));
  m_yDiffs[m].Add(dy);
  m_z.Compress(encoder, m_lastHeight[l], z, ZContext(single, (m_dx.GetK() + m_dy.GetK()) / 2));
  m_lastHeight[l] = z;

  m_last = {x, y, z, flags, item[kClassification], item[kScanAngle], item[kUserData], pointSource};
}
