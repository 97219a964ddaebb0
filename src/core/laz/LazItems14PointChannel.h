#pragma once
// What the POINT14 coder (LAS 1.4 point formats 6 to 10, version 3) keeps for one scanner
// channel: the channel's last point, the predictions drawn from its earlier points and its
// own models. A chunk starts with every channel unused; a channel is set up from the last
// point of the channel before it when a chunk first reaches it. Shared by the encoder and the
// decoder, which use it identically (LASzip's LAScontextPOINT14).

#include <cstdint>
#include <memory>

#include "core/laz/LazArithmeticCoder.h"
#include "core/laz/LazIntegerCompressor.h"
#include "core/laz/LazItems14Support.h"

// A 30-byte LAS 1.4 point record taken apart.
struct CLazPoint14Fields {
  std::int32_t x = 0, y = 0, z = 0;
  std::uint16_t intensity = 0;
  std::uint8_t returnNumber = 0, returnCount = 0;  // 4 bits each
  // The classification flags (bits 0-3), the scan direction (bit 4) and the edge of flight
  // line (bit 5): the record's flag byte without the scanner channel, as the coder sees it.
  std::uint8_t flags = 0;
  std::uint8_t channel = 0;  // 2 bits
  std::uint8_t classification = 0, userData = 0;
  std::int16_t scanAngle = 0;
  std::uint16_t pointSource = 0;
  std::uint64_t gpsTime = 0;  // the bits of the double

  static constexpr std::size_t s_size = 30;
  void Read(const std::uint8_t* record);
  void Write(std::uint8_t* record) const;
};

class CLazPoint14Channel {
 public:
  CLazPoint14Channel();

  // Makes the channel used in this chunk, its last point `last` and every model fresh.
  void Start(const CLazPoint14Fields& last, bool encoding);

  bool m_used = false;
  CLazPoint14Fields m_last;
  bool m_lastGpsTimeChanged = false;  // whether the last point's GPS time differed from its own last

  // Predictions: the last intensity and Z by return context, the X and Y differences by
  // return map and GPS change.
  std::uint16_t m_lastIntensity[8] = {};
  std::int32_t m_lastZ[8] = {};
  CLazMedianOfFive m_medianX[12], m_medianY[12];

  // GPS time: up to four sequences of times (for files that interleave several time
  // bases); `m_gpsSeq` is the one the last point continued, `m_gpsNext` the newest.
  std::uint32_t m_gpsSeq = 0, m_gpsNext = 0;
  std::uint64_t m_gpsLast[4] = {};
  std::int32_t m_gpsLastDiff[4] = {};
  std::int32_t m_gpsExtremes[4] = {};

  // The models of the XY layer (which also carries the channel, the returns and what changed).
  CLazSymbolModel m_changed[8];  // by the last point's return place and GPS change
  CLazSymbolModel m_channelStep;
  CLazSymbolModel m_returnNumberSameTime;
  CLazLazyModels m_returnCounts, m_returnNumbers;  // by the last point's count / number
  CLazIntegerCompressor m_dx, m_dy;
  // One model or compressor per layer beyond.
  CLazIntegerCompressor m_z;
  CLazLazyModels m_classifications;  // by the last class and whether the point is alone
  CLazLazyModels m_flagModels;       // by the last flags
  CLazIntegerCompressor m_intensity;
  CLazIntegerCompressor m_scanAngle;
  CLazLazyModels m_userData;  // by the last user data / 4
  CLazIntegerCompressor m_pointSource;
  CLazSymbolModel m_gpsMulti, m_gpsNoDiff;
  CLazIntegerCompressor m_gpsTime;

  std::uint32_t m_era = 0;  // bumped by Start: the lazily reset models' chunk
};

// The four scanner channels of the POINT14 coder, each made when a chunk first reaches it:
// most files use one channel, and each holds megabytes of models (so a coder made for a
// small file, or one per thread, costs a quarter).
class CLazPoint14Channels {
 public:
  // The channel, made when it never was.
  CLazPoint14Channel& operator[](std::uint32_t channel) {
    std::unique_ptr<CLazPoint14Channel>& made = m_channels[channel];
    if (!made) made = std::make_unique<CLazPoint14Channel>();
    return *made;
  }
  // Whether the chunk has reached the channel.
  bool Used(std::uint32_t channel) const { return m_channels[channel] && m_channels[channel]->m_used; }
  // A chunk starts: it has reached no channel.
  void Unuse() {
    for (const std::unique_ptr<CLazPoint14Channel>& channel : m_channels)
      if (channel) channel->m_used = false;
  }

 private:
  std::unique_ptr<CLazPoint14Channel> m_channels[4];
};
