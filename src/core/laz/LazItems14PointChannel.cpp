#include "core/laz/LazItems14PointChannel.h"

#include "core/common/ByteOrder.h"

namespace {
// Symbols of the models (LASzip's sizes; the stream depends on them).
constexpr std::uint32_t kChangedSymbols = 128;  // seven "changed" bits
constexpr std::uint32_t kChannelStepSymbols = 3;
constexpr std::uint32_t kReturnSymbols = 16;
constexpr std::uint32_t kReturnNumberSameTimeSymbols = 13;
constexpr std::uint32_t kByteSymbols = 256;
constexpr std::uint32_t kFlagSymbols = 64;
constexpr std::uint32_t kGpsMultiSymbols = 515;
constexpr std::uint32_t kGpsNoDiffSymbols = 5;
}  // namespace

void CLazPoint14Fields::Read(const std::uint8_t* r) {
  x = ReadLittleEndian<std::int32_t>(r);
  y = ReadLittleEndian<std::int32_t>(r + 4);
  z = ReadLittleEndian<std::int32_t>(r + 8);
  intensity = ReadLittleEndian<std::uint16_t>(r + 12);
  returnNumber = r[14] & 0x0F;
  returnCount = r[14] >> 4;
  flags = static_cast<std::uint8_t>((r[15] & 0x0F) | ((r[15] >> 2) & 0x30));
  channel = (r[15] >> 4) & 0x03;
  classification = r[16];
  userData = r[17];
  scanAngle = ReadLittleEndian<std::int16_t>(r + 18);
  pointSource = ReadLittleEndian<std::uint16_t>(r + 20);
  gpsTime = ReadLittleEndian<std::uint64_t>(r + 22);
}

void CLazPoint14Fields::Write(std::uint8_t* r) const {
  WriteLittleEndian(r, x);
  WriteLittleEndian(r + 4, y);
  WriteLittleEndian(r + 8, z);
  WriteLittleEndian(r + 12, intensity);
  r[14] = static_cast<std::uint8_t>(returnNumber | (returnCount << 4));
  r[15] = static_cast<std::uint8_t>((flags & 0x0F) | (channel << 4) | ((flags & 0x30) << 2));
  r[16] = classification;
  r[17] = userData;
  WriteLittleEndian(r + 18, scanAngle);
  WriteLittleEndian(r + 20, pointSource);
  WriteLittleEndian(r + 22, gpsTime);
}

CLazPoint14Channel::CLazPoint14Channel()
    : m_changed{CLazSymbolModel(kChangedSymbols), CLazSymbolModel(kChangedSymbols), CLazSymbolModel(kChangedSymbols),
                CLazSymbolModel(kChangedSymbols), CLazSymbolModel(kChangedSymbols), CLazSymbolModel(kChangedSymbols),
                CLazSymbolModel(kChangedSymbols), CLazSymbolModel(kChangedSymbols)},
      m_channelStep(kChannelStepSymbols),
      m_returnNumberSameTime(kReturnNumberSameTimeSymbols),
      m_returnCounts(16, kReturnSymbols),
      m_returnNumbers(16, kReturnSymbols),
      m_dx(32, 2),
      m_dy(32, 22),
      m_z(32, 20),
      m_classifications(64, kByteSymbols),
      m_flagModels(64, kFlagSymbols),
      m_intensity(16, 4),
      m_scanAngle(16, 2),
      m_userData(64, kByteSymbols),
      m_pointSource(16),
      m_gpsMulti(kGpsMultiSymbols),
      m_gpsNoDiff(kGpsNoDiffSymbols),
      m_gpsTime(32, 9) {}

void CLazPoint14Channel::Start(const CLazPoint14Fields& last, bool encoding) {
  m_used = true;
  m_last = last;
  m_lastGpsTimeChanged = false;
  if (++m_era == 0) m_era = 1;  // 0 marks a model never reset

  for (CLazSymbolModel& model : m_changed) model.Reset();
  m_channelStep.Reset();
  m_returnNumberSameTime.Reset();
  m_gpsMulti.Reset();
  m_gpsNoDiff.Reset();
  for (CLazIntegerCompressor* ic : {&m_dx, &m_dy, &m_z, &m_intensity, &m_scanAngle, &m_pointSource, &m_gpsTime}) {
    if (encoding) {
      ic->InitCompressor();
    } else {
      ic->InitDecompressor();
    }
  }
  for (CLazMedianOfFive& median : m_medianX) median.Reset();
  for (CLazMedianOfFive& median : m_medianY) median.Reset();
  for (std::int32_t& z : m_lastZ) z = last.z;
  for (std::uint16_t& intensity : m_lastIntensity) intensity = last.intensity;

  m_gpsSeq = m_gpsNext = 0;
  m_gpsLast[0] = last.gpsTime;
  m_gpsLast[1] = m_gpsLast[2] = m_gpsLast[3] = 0;
  for (int i = 0; i < 4; ++i) m_gpsLastDiff[i] = m_gpsExtremes[i] = 0;
}
