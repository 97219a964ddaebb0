#include "core/laz/LazItems14Point.h"

#include <bit>
#include <cstdint>

#include "core/laz/LazError.h"

namespace {

enum Layer : std::size_t {
  kXy,
  kZ,
  kClassification,
  kFlags,
  kIntensity,
  kScanAngle,
  kUserData,
  kPointSource,
  kGpsTime,
};

// The X and Y differences are predicted in six groups of (number of returns, return number):
// single returns, first of two, first of many, last returns, intermediate, and the
// combinations that valid files do not have. LASzip's table.
constexpr std::uint8_t kReturnMap[16][16] = {
    {0, 1, 2, 3, 4, 5, 3, 4, 4, 5, 5, 5, 5, 5, 5, 5}, {1, 0, 1, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3},
    {2, 1, 2, 4, 4, 4, 4, 4, 4, 4, 4, 3, 3, 3, 3, 3}, {3, 3, 4, 5, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4},
    {4, 3, 4, 4, 5, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4}, {5, 3, 4, 4, 4, 5, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4},
    {3, 3, 4, 4, 4, 4, 5, 4, 4, 4, 4, 4, 4, 4, 4, 4}, {4, 3, 4, 4, 4, 4, 4, 5, 4, 4, 4, 4, 4, 4, 4, 4},
    {4, 3, 4, 4, 4, 4, 4, 4, 5, 4, 4, 4, 4, 4, 4, 4}, {5, 3, 4, 4, 4, 4, 4, 4, 4, 5, 4, 4, 4, 4, 4, 4},
    {5, 3, 4, 4, 4, 4, 4, 4, 4, 4, 5, 4, 4, 4, 4, 4}, {5, 3, 3, 4, 4, 4, 4, 4, 4, 4, 4, 5, 5, 4, 4, 4},
    {5, 3, 3, 4, 4, 4, 4, 4, 4, 4, 4, 5, 5, 5, 4, 4}, {5, 3, 3, 4, 4, 4, 4, 4, 4, 4, 4, 4, 5, 5, 5, 4},
    {5, 3, 3, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 5, 5, 5}, {5, 3, 3, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 5, 5}};

// Z is predicted by how deep the return lies in its pulse: |n - r|, at most 7.
inline std::uint32_t ReturnLevel(std::uint32_t n, std::uint32_t r) {
  const std::uint32_t level = n > r ? n - r : r - n;
  return level < 7 ? level : 7;
}

// The place of a return in its pulse: 1 first, 2 last, 3 both (alone), 0 intermediate; the
// "changed" mask's context adds 4 when the point's GPS time changed.
inline std::uint32_t LastPointPlace(const CLazPoint14Channel& c) {
  const CLazPoint14Fields& p = c.m_last;
  return (p.returnNumber == 1 ? 1u : 0u) | (p.returnNumber >= p.returnCount ? 2u : 0u) |
         (c.m_lastGpsTimeChanged ? 4u : 0u);
}
// The same place in the order intensity and classification use: 2 first, 1 last.
inline std::uint32_t ReturnPlace(std::uint32_t n, std::uint32_t r) { return (r == 1 ? 2u : 0u) + (r >= n ? 1u : 0u); }

// The compressor contexts of Y and Z: whether the point is a single return, plus the X (and
// Y) corrector size, even and capped.
inline std::uint32_t YContext(std::uint32_t n, std::uint32_t kx) { return (n == 1) + (kx < 20 ? kx & ~1u : 20u); }
inline std::uint32_t ZContext(std::uint32_t n, std::uint32_t kxy) { return (n == 1) + (kxy < 18 ? kxy & ~1u : 18u); }

// GPS time codes: the multiplier of the last difference (1 to 499), 500 for any larger one,
// 501 to 509 for -1 to -9, 510 for anything smaller, 0 for none; 511 a new sequence stored
// whole, 512 to 514 a switch to one of the other three sequences.
constexpr std::int32_t kGpsMulti = 500;
constexpr std::int32_t kGpsMultiMinus = -10;
constexpr std::uint32_t kGpsCodeFull = kGpsMulti - kGpsMultiMinus + 1;  // 511
// A chunk moves to another sequence at most once per point; a hostile one could ask forever.
constexpr int kGpsMaxSwitches = 4;

// The difference of two GPS times as the integers of their bits, and whether it fits 32 bits.
inline bool GpsDifference(std::uint64_t time, std::uint64_t last, std::int32_t& diff) {
  const auto wide = static_cast<std::int64_t>(time - last);
  diff = static_cast<std::int32_t>(wide);
  return wide == diff;
}

// The nearest integer to `ratio`, half away from zero, computed as LASzip does (in double);
// a ratio beyond the 32-bit range gives what the x86 conversion gives there, INT32_MIN.
inline std::int32_t QuantizeMultiplier(float ratio) {
  const double shifted = ratio >= 0 ? static_cast<double>(ratio) + 0.5 : static_cast<double>(ratio) - 0.5;
  if (!(shifted > -2147483649.0 && shifted < 2147483648.0)) return INT32_MIN;
  return static_cast<std::int32_t>(shifted);
}

// Whether the GPS time changed. LASzip compares the doubles, which takes +0 and -0 for the
// same time and would lose the sign; comparing the bits as well keeps every record exact
// (and changes nothing for any other value).
inline bool GpsTimeDiffers(std::uint64_t a, std::uint64_t b) {
  return a != b || std::bit_cast<double>(a) != std::bit_cast<double>(b);
}

}  // namespace

// ---- Decoder ------------------------------------------------------------------------------

std::uint32_t CLazPoint14Decoder::Start(const std::uint8_t* first, const CLazLayerBytes* layers) {
  CLazPoint14Fields point;
  point.Read(first);
  for (std::size_t i = 0; i < s_layerCount; ++i) {
    // The first layer is always stored; an empty one is read as zero bytes and flagged.
    m_present[i] = i == kXy || layers[i].size > 0;
    if (m_present[i]) m_layers[i].Init(layers[i].data, layers[i].size);
  }
  m_channels.Unuse();
  m_current = point.channel;
  m_channels[m_current].Start(point, false);
  return m_current;
}

bool CLazPoint14Decoder::Overran() const {
  for (std::size_t i = 0; i < s_layerCount; ++i) {
    if (m_present[i] && m_layers[i].Overran()) return true;
  }
  return false;
}

std::uint32_t CLazPoint14Decoder::Decode(std::uint8_t* record) {
  CLazArithmeticDecoder& xy = m_layers[kXy];
  CLazPoint14Channel* c = &m_channels[m_current];
  const std::uint32_t changed = xy.DecodeSymbol(c->m_changed[LastPointPlace(*c)]);
  std::uint32_t context = 0;
  if (changed & (1u << 6)) {
    const std::uint32_t channel = (m_current + xy.DecodeSymbol(c->m_channelStep) + 1) & 3;
    if (!m_channels.Used(channel)) m_channels[channel].Start(c->m_last, false);
    m_current = context = channel;
    c = &m_channels[channel];
    c->m_last.channel = static_cast<std::uint8_t>(channel);
  }
  CLazPoint14Fields& last = c->m_last;
  const std::uint32_t era = c->m_era;
  const bool gpsChanged = (changed & (1u << 4)) != 0;

  std::uint32_t n = last.returnCount;
  if (changed & (1u << 2)) {
    n = xy.DecodeSymbol(c->m_returnCounts.Get(n, era));
    last.returnCount = static_cast<std::uint8_t>(n);
  }
  std::uint32_t r = last.returnNumber;
  switch (changed & 3) {
    case 1:
      r = (r + 1) & 15;
      break;
    case 2:
      r = (r + 15) & 15;
      break;
    case 3:
      if (gpsChanged) {
        r = xy.DecodeSymbol(c->m_returnNumbers.Get(r, era));
      } else {
        r = (r + xy.DecodeSymbol(c->m_returnNumberSameTime) + 2) & 15;
      }
      break;
    default:
      break;
  }
  last.returnNumber = static_cast<std::uint8_t>(r);

  const std::uint32_t group = (static_cast<std::uint32_t>(kReturnMap[n][r]) << 1) | (gpsChanged ? 1u : 0u);
  const std::uint32_t place = ReturnPlace(n, r);

  std::int32_t diff = c->m_dx.Decompress(xy, c->m_medianX[group].Get(), n == 1);
  last.x = LazWrapAdd(last.x, diff);
  c->m_medianX[group].Add(diff);
  diff = c->m_dy.Decompress(xy, c->m_medianY[group].Get(), YContext(n, c->m_dx.GetK()));
  last.y = LazWrapAdd(last.y, diff);
  c->m_medianY[group].Add(diff);

  if (m_present[kZ]) {
    const std::uint32_t level = ReturnLevel(n, r);
    last.z = c->m_z.Decompress(m_layers[kZ], c->m_lastZ[level], ZContext(n, (c->m_dx.GetK() + c->m_dy.GetK()) / 2));
    c->m_lastZ[level] = last.z;
  }
  if (m_present[kClassification]) {
    const std::uint32_t index = ((last.classification & 0x1Fu) << 1) + (place == 3 ? 1u : 0u);
    last.classification =
        static_cast<std::uint8_t>(m_layers[kClassification].DecodeSymbol(c->m_classifications.Get(index, era)));
  }
  if (m_present[kFlags]) {
    last.flags = static_cast<std::uint8_t>(m_layers[kFlags].DecodeSymbol(c->m_flagModels.Get(last.flags, era)));
  }
  if (m_present[kIntensity]) {
    const std::uint32_t index = (place << 1) | (gpsChanged ? 1u : 0u);
    last.intensity =
        static_cast<std::uint16_t>(c->m_intensity.Decompress(m_layers[kIntensity], c->m_lastIntensity[index], place));
    c->m_lastIntensity[index] = last.intensity;
  }
  if (m_present[kScanAngle] && (changed & (1u << 3))) {
    last.scanAngle =
        static_cast<std::int16_t>(c->m_scanAngle.Decompress(m_layers[kScanAngle], last.scanAngle, gpsChanged));
  }
  if (m_present[kUserData]) {
    last.userData =
        static_cast<std::uint8_t>(m_layers[kUserData].DecodeSymbol(c->m_userData.Get(last.userData / 4u, era)));
  }
  if (m_present[kPointSource] && (changed & (1u << 5))) {
    last.pointSource =
        static_cast<std::uint16_t>(c->m_pointSource.Decompress(m_layers[kPointSource], last.pointSource, 0));
  }
  if (m_present[kGpsTime] && gpsChanged) {
    DecodeGpsTime(*c);
    last.gpsTime = c->m_gpsLast[c->m_gpsSeq];
  }
  last.Write(record);
  c->m_lastGpsTimeChanged = gpsChanged;
  return context;
}

void CLazPoint14Decoder::DecodeGpsTime(CLazPoint14Channel& c) {
  CLazArithmeticDecoder& layer = m_layers[kGpsTime];
  for (int switches = 0; switches <= kGpsMaxSwitches; ++switches) {
    const std::uint32_t seq = c.m_gpsSeq;
    if (c.m_gpsLastDiff[seq] == 0) {
      const std::uint32_t code = layer.DecodeSymbol(c.m_gpsNoDiff);
      if (code == 0) {
        c.m_gpsLastDiff[seq] = c.m_gpsTime.Decompress(layer, 0, 0);
        c.m_gpsLast[seq] += static_cast<std::uint64_t>(static_cast<std::int64_t>(c.m_gpsLastDiff[seq]));
        c.m_gpsExtremes[seq] = 0;
      } else if (code == 1) {
        c.m_gpsNext = (c.m_gpsNext + 1) & 3;
        const auto high = static_cast<std::uint32_t>(
            c.m_gpsTime.Decompress(layer, static_cast<std::int32_t>(c.m_gpsLast[seq] >> 32), 8));
        c.m_gpsLast[c.m_gpsNext] = (static_cast<std::uint64_t>(high) << 32) | layer.ReadInt();
        c.m_gpsSeq = c.m_gpsNext;
        c.m_gpsLastDiff[c.m_gpsSeq] = 0;
        c.m_gpsExtremes[c.m_gpsSeq] = 0;
      } else {
        c.m_gpsSeq = (seq + code - 1) & 3;
        continue;
      }
      return;
    }
    const std::uint32_t code = layer.DecodeSymbol(c.m_gpsMulti);
    const std::int32_t lastDiff = c.m_gpsLastDiff[seq];
    if (code < kGpsCodeFull) {
      std::int32_t diff = 0;
      bool extreme = false;  // a multiplier beyond those coded exactly
      if (code == 1) {
        diff = c.m_gpsTime.Decompress(layer, lastDiff, 1);
        c.m_gpsExtremes[seq] = 0;
      } else if (code == 0) {
        diff = c.m_gpsTime.Decompress(layer, 0, 7);
        extreme = true;
      } else if (code < static_cast<std::uint32_t>(kGpsMulti)) {
        const auto multi = static_cast<std::int32_t>(code);
        diff = c.m_gpsTime.Decompress(layer, LazWrapMul(multi, lastDiff), multi < 10 ? 2 : 3);
      } else if (code == static_cast<std::uint32_t>(kGpsMulti)) {
        diff = c.m_gpsTime.Decompress(layer, LazWrapMul(kGpsMulti, lastDiff), 4);
        extreme = true;
      } else {
        const std::int32_t multi = kGpsMulti - static_cast<std::int32_t>(code);  // -1 to -10
        if (multi > kGpsMultiMinus) {
          diff = c.m_gpsTime.Decompress(layer, LazWrapMul(multi, lastDiff), 5);
        } else {
          diff = c.m_gpsTime.Decompress(layer, LazWrapMul(kGpsMultiMinus, lastDiff), 6);
          extreme = true;
        }
      }
      if (extreme && ++c.m_gpsExtremes[seq] > 3) {
        // Four unusual steps in a row: the new step becomes the one predicted.
        c.m_gpsLastDiff[seq] = diff;
        c.m_gpsExtremes[seq] = 0;
      }
      c.m_gpsLast[seq] += static_cast<std::uint64_t>(static_cast<std::int64_t>(diff));
    } else if (code == kGpsCodeFull) {
      c.m_gpsNext = (c.m_gpsNext + 1) & 3;
      const auto high = static_cast<std::uint32_t>(
          c.m_gpsTime.Decompress(layer, static_cast<std::int32_t>(c.m_gpsLast[seq] >> 32), 8));
      c.m_gpsLast[c.m_gpsNext] = (static_cast<std::uint64_t>(high) << 32) | layer.ReadInt();
      c.m_gpsSeq = c.m_gpsNext;
      c.m_gpsLastDiff[c.m_gpsSeq] = 0;
      c.m_gpsExtremes[c.m_gpsSeq] = 0;
    } else {
      c.m_gpsSeq = (seq + code - kGpsCodeFull) & 3;
      continue;
    }
    return;
  }
  throw CLazError("LAZ chunk: its GPS times switch time sequence endlessly");
}

// ---- Encoder ------------------------------------------------------------------------------

std::uint32_t CLazPoint14Encoder::Start(const std::uint8_t* first) {
  CLazPoint14Fields point;
  point.Read(first);
  for (std::size_t i = 0; i < s_layerCount; ++i) {
    m_bytes[i].clear();
    m_layers[i].Init(m_bytes[i]);
    // X, Y and Z are always stored; the other layers only when a point changes them.
    m_changed[i] = i == kXy || i == kZ;
  }
  m_channels.Unuse();
  m_current = point.channel;
  m_channels[m_current].Start(point, true);
  return m_current;
}

void CLazPoint14Encoder::Finish() {
  for (CLazArithmeticEncoder& layer : m_layers) layer.Done();
}

std::span<const std::uint8_t> CLazPoint14Encoder::Layer(std::size_t i) const {
  if (!m_changed[i]) return {};
  return {m_bytes[i].data(), m_bytes[i].size()};
}

std::uint32_t CLazPoint14Encoder::Encode(const std::uint8_t* record) {
  CLazPoint14Fields point;
  point.Read(record);
  CLazArithmeticEncoder& xy = m_layers[kXy];
  CLazPoint14Channel* c = &m_channels[m_current];
  const std::uint32_t lastPlace = LastPointPlace(*c);

  // What changed is judged against the last point of the point's own channel, or of the
  // channel before when the chunk has not reached the point's channel yet.
  const std::uint32_t channel = point.channel;
  const CLazPoint14Fields& reference =
      channel != m_current && m_channels.Used(channel) ? m_channels[channel].m_last : c->m_last;
  const bool pointSourceChanged = point.pointSource != reference.pointSource;
  const bool gpsChanged = GpsTimeDiffers(point.gpsTime, reference.gpsTime);
  const bool scanAngleChanged = point.scanAngle != reference.scanAngle;
  const std::uint32_t lastN = reference.returnCount, lastR = reference.returnNumber;
  const std::uint32_t n = point.returnCount, r = point.returnNumber;
  std::uint32_t changed = (channel != m_current ? 1u << 6 : 0u) | (pointSourceChanged ? 1u << 5 : 0u) |
                          (gpsChanged ? 1u << 4 : 0u) | (scanAngleChanged ? 1u << 3 : 0u) | (n != lastN ? 1u << 2 : 0u);
  if (r != lastR) changed |= r == ((lastR + 1) & 15) ? 1u : (r == ((lastR + 15) & 15) ? 2u : 3u);
  xy.EncodeSymbol(c->m_changed[lastPlace], changed);

  std::uint32_t context = 0;
  if (channel != m_current) {
    const std::int32_t step = static_cast<std::int32_t>(channel) - static_cast<std::int32_t>(m_current);
    xy.EncodeSymbol(c->m_channelStep, static_cast<std::uint32_t>(step > 0 ? step - 1 : step + 3));
    if (!m_channels.Used(channel)) m_channels[channel].Start(c->m_last, true);
    m_current = context = channel;
    c = &m_channels[channel];
  }
  CLazPoint14Fields& last = c->m_last;  // holds what `reference` held
  const std::uint32_t era = c->m_era;

  if (changed & (1u << 2)) xy.EncodeSymbol(c->m_returnCounts.Get(lastN, era), n);
  if ((changed & 3) == 3) {
    if (gpsChanged) {
      xy.EncodeSymbol(c->m_returnNumbers.Get(lastR, era), r);
    } else {
      const std::int32_t step = static_cast<std::int32_t>(r) - static_cast<std::int32_t>(lastR);
      xy.EncodeSymbol(c->m_returnNumberSameTime, static_cast<std::uint32_t>(step > 1 ? step - 2 : step + 14));
    }
  }

  const std::uint32_t group = (static_cast<std::uint32_t>(kReturnMap[n][r]) << 1) | (gpsChanged ? 1u : 0u);
  const std::uint32_t place = ReturnPlace(n, r);

  std::int32_t diff = LazWrapSub(point.x, last.x);
  c->m_dx.Compress(xy, c->m_medianX[group].Get(), diff, n == 1);
  c->m_medianX[group].Add(diff);
  diff = LazWrapSub(point.y, last.y);
  c->m_dy.Compress(xy, c->m_medianY[group].Get(), diff, YContext(n, c->m_dx.GetK()));
  c->m_medianY[group].Add(diff);

  const std::uint32_t level = ReturnLevel(n, r);
  c->m_z.Compress(m_layers[kZ], c->m_lastZ[level], point.z, ZContext(n, (c->m_dx.GetK() + c->m_dy.GetK()) / 2));
  c->m_lastZ[level] = point.z;

  m_changed[kClassification] |= point.classification != last.classification;
  m_layers[kClassification].EncodeSymbol(
      c->m_classifications.Get(((last.classification & 0x1Fu) << 1) + (place == 3 ? 1u : 0u), era),
      point.classification);

  m_changed[kFlags] |= point.flags != last.flags;
  m_layers[kFlags].EncodeSymbol(c->m_flagModels.Get(last.flags, era), point.flags);

  m_changed[kIntensity] |= point.intensity != last.intensity;
  const std::uint32_t intensityIndex = (place << 1) | (gpsChanged ? 1u : 0u);
  c->m_intensity.Compress(m_layers[kIntensity], c->m_lastIntensity[intensityIndex], point.intensity, place);
  c->m_lastIntensity[intensityIndex] = point.intensity;

  if (scanAngleChanged) {
    m_changed[kScanAngle] = true;
    c->m_scanAngle.Compress(m_layers[kScanAngle], last.scanAngle, point.scanAngle, gpsChanged);
  }

  m_changed[kUserData] |= point.userData != last.userData;
  m_layers[kUserData].EncodeSymbol(c->m_userData.Get(last.userData / 4u, era), point.userData);

  if (pointSourceChanged) {
    m_changed[kPointSource] = true;
    c->m_pointSource.Compress(m_layers[kPointSource], last.pointSource, point.pointSource, 0);
  }
  if (gpsChanged) {
    m_changed[kGpsTime] = true;
    EncodeGpsTime(*c, point.gpsTime);
  }
  last = point;
  c->m_lastGpsTimeChanged = gpsChanged;
  return context;
}

void CLazPoint14Encoder::EncodeGpsTime(CLazPoint14Channel& c, std::uint64_t time) {
  CLazArithmeticEncoder& layer = m_layers[kGpsTime];
  // Another of the four sequences the time continues within 32 bits: its distance from the
  // current one (1 to 3), or 0.
  auto otherSequence = [&c, time](std::uint32_t seq) -> std::uint32_t {
    for (std::uint32_t i = 1; i < 4; ++i) {
      std::int32_t unused = 0;
      if (GpsDifference(time, c.m_gpsLast[(seq + i) & 3], unused)) return i;
    }
    return 0;
  };
  // A time far from every sequence starts a new one, stored whole.
  auto startSequence = [&](CLazSymbolModel& model, std::uint32_t code, std::uint32_t seq) {
    layer.EncodeSymbol(model, code);
    c.m_gpsTime.Compress(layer, static_cast<std::int32_t>(c.m_gpsLast[seq] >> 32),
                         static_cast<std::int32_t>(time >> 32), 8);
    layer.WriteInt(static_cast<std::uint32_t>(time));
    c.m_gpsNext = (c.m_gpsNext + 1) & 3;
    c.m_gpsSeq = c.m_gpsNext;
    c.m_gpsLastDiff[c.m_gpsSeq] = 0;
    c.m_gpsExtremes[c.m_gpsSeq] = 0;
  };

  for (;;) {
    const std::uint32_t seq = c.m_gpsSeq;
    std::int32_t diff = 0;
    const bool fits = GpsDifference(time, c.m_gpsLast[seq], diff);
    const std::int32_t lastDiff = c.m_gpsLastDiff[seq];
    if (!fits) {
      CLazSymbolModel& model = lastDiff == 0 ? c.m_gpsNoDiff : c.m_gpsMulti;
      const std::uint32_t base = lastDiff == 0 ? 1 : kGpsCodeFull;
      if (const std::uint32_t other = otherSequence(seq); other != 0) {
        layer.EncodeSymbol(model, base + other);
        c.m_gpsSeq = (seq + other) & 3;
        continue;  // the time fits the other sequence: coded there
      }
      startSequence(model, base, seq);
    } else if (lastDiff == 0) {
      layer.EncodeSymbol(c.m_gpsNoDiff, 0);
      c.m_gpsTime.Compress(layer, 0, diff, 0);
      c.m_gpsLastDiff[seq] = diff;
      c.m_gpsExtremes[seq] = 0;
    } else {
      const std::int32_t multi = QuantizeMultiplier(static_cast<float>(diff) / static_cast<float>(lastDiff));
      bool extreme = false;
      if (multi == 1) {
        layer.EncodeSymbol(c.m_gpsMulti, 1);
        c.m_gpsTime.Compress(layer, lastDiff, diff, 1);
        c.m_gpsExtremes[seq] = 0;
      } else if (multi > 0 && multi < kGpsMulti) {
        layer.EncodeSymbol(c.m_gpsMulti, static_cast<std::uint32_t>(multi));
        c.m_gpsTime.Compress(layer, LazWrapMul(multi, lastDiff), diff, multi < 10 ? 2 : 3);
      } else if (multi >= kGpsMulti) {
        layer.EncodeSymbol(c.m_gpsMulti, static_cast<std::uint32_t>(kGpsMulti));
        c.m_gpsTime.Compress(layer, LazWrapMul(kGpsMulti, lastDiff), diff, 4);
        extreme = true;
      } else if (multi < 0 && multi > kGpsMultiMinus) {
        layer.EncodeSymbol(c.m_gpsMulti, static_cast<std::uint32_t>(kGpsMulti - multi));
        c.m_gpsTime.Compress(layer, LazWrapMul(multi, lastDiff), diff, 5);
      } else if (multi < 0) {
        layer.EncodeSymbol(c.m_gpsMulti, static_cast<std::uint32_t>(kGpsMulti - kGpsMultiMinus));
        c.m_gpsTime.Compress(layer, LazWrapMul(kGpsMultiMinus, lastDiff), diff, 6);
        extreme = true;
      } else {
        layer.EncodeSymbol(c.m_gpsMulti, 0);
        c.m_gpsTime.Compress(layer, 0, diff, 7);
        extreme = true;
      }
      if (extreme && ++c.m_gpsExtremes[seq] > 3) {
        c.m_gpsLastDiff[seq] = diff;
        c.m_gpsExtremes[seq] = 0;
      }
    }
    c.m_gpsLast[c.m_gpsSeq] = time;
    return;
  }
}
