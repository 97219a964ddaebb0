#include "core/laz/LazItemGpsTime11.h"

#include <limits>

#include "core/common/ByteOrder.h"
#include "core/laz/LazError.h"

namespace {

// Symbols of the model after a non-zero difference: 0 to 500 multiples (0: none fits;
// 500: 500 or more), 501 to 510 the multiples -1 to -10 (510: -10 or less), then these.
constexpr std::int32_t kMultiMax = 500;
constexpr std::int32_t kMultiMin = -10;
constexpr std::uint32_t kUnchanged = kMultiMax - kMultiMin + 1;  // 511
constexpr std::uint32_t kFull = kMultiMax - kMultiMin + 2;       // 512; 513 to 515 switch sequence
constexpr std::uint32_t kMultiSymbols = kMultiMax - kMultiMin + 6;
// Symbols of the model after a zero difference: 0 unchanged, 1 a 32-bit difference,
// 2 a full time, 3 to 5 switch sequence.
constexpr std::uint32_t kZeroUnchanged = 0, kZeroDifference = 1, kZeroFull = 2;
constexpr std::uint32_t kZeroSymbols = 6;

// Integer compressor contexts.
constexpr std::uint32_t kAfterZeroContext = 0, kSameContext = 1, kSmallMultipleContext = 2, kLargeMultipleContext = 3,
                        kMaxMultipleContext = 4, kNegativeContext = 5, kMinMultipleContext = 6, kNoMultipleContext = 7,
                        kFullContext = 8;

std::int32_t Times(std::int32_t multiple, std::int32_t difference) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(multiple) * static_cast<std::uint32_t>(difference));
}

// The 64-bit difference a - b when it fits 32 bits.
bool Difference32(std::uint64_t a, std::uint64_t b, std::int32_t& difference) {
  const auto d = static_cast<std::int64_t>(a - b);
  difference = static_cast<std::int32_t>(d);
  return d == difference;
}

// The multiple of `last` nearest to `difference`, worked in float and rounded half away
// from zero, as LASzip does. A quotient of 2^31 or more does not fit: the x86 build of
// LASzip (and laz-perf) then gets the integer minimum, so it is taken here too.
std::int32_t NearestMultiple(std::int32_t difference, std::int32_t last) {
  const float quotient = static_cast<float>(difference) / static_cast<float>(last);
  const double rounded = quotient >= 0 ? static_cast<double>(quotient) + 0.5 : static_cast<double>(quotient) - 0.5;
  if (rounded >= 2147483648.0) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(rounded);
}

}  // namespace

CLazGpsTime11Coder::CLazGpsTime11Coder() : m_multiple(kMultiSymbols), m_afterZero(kZeroSymbols), m_times(32, 9) {}

void CLazGpsTime11Coder::Init(const std::uint8_t* first) {
  m_last = m_next = 0;
  m_lastDifference.fill(0);
  m_extremeCount.fill(0);
  m_multiple.Reset();
  m_afterZero.Reset();
  m_times.Reset();
  m_lastTime = {ReadLittleEndian<std::uint64_t>(first), 0, 0, 0};
}

void CLazGpsTime11Coder::CountExtreme(std::int32_t difference) {
  if (++m_extremeCount[m_last] > 3) {
    m_lastDifference[m_last] = difference;
    m_extremeCount[m_last] = 0;
  }
}

void CLazGpsTime11Coder::Decode(CLazArithmeticDecoder& decoder, std::uint8_t* item) {
  for (bool switched = false;; switched = true) {
    std::uint32_t symbol;
    std::uint32_t switchBy = 0;
    std::uint64_t& time = m_lastTime[m_last];
    if (m_lastDifference[m_last] == 0) {
      symbol = decoder.DecodeSymbol(m_afterZero);
      if (symbol == kZeroDifference) {
        const std::int32_t difference = m_times.Decompress(decoder, 0, kAfterZeroContext);
        m_lastDifference[m_last] = difference;
        time += static_cast<std::uint64_t>(static_cast<std::int64_t>(difference));
        m_extremeCount[m_last] = 0;
      } else if (symbol > kZeroFull) {
        switchBy = symbol - kZeroFull;
      }
      symbol = symbol == kZeroFull ? kFull : kUnchanged;
    } else {
      symbol = decoder.DecodeSymbol(m_multiple);
      const std::int32_t last = m_lastDifference[m_last];
      std::int32_t difference = 0;
      if (symbol == 1) {
        difference = m_times.Decompress(decoder, last, kSameContext);
        m_extremeCount[m_last] = 0;
      } else if (symbol == 0) {
        difference = m_times.Decompress(decoder, 0, kNoMultipleContext);
        CountExtreme(difference);
      } else if (symbol < static_cast<std::uint32_t>(kMultiMax)) {
        const auto multiple = static_cast<std::int32_t>(symbol);
        difference = m_times.Decompress(decoder, Times(multiple, last),
                                        multiple < 10 ? kSmallMultipleContext : kLargeMultipleContext);
      } else if (symbol == static_cast<std::uint32_t>(kMultiMax)) {
        difference = m_times.Decompress(decoder, Times(kMultiMax, last), kMaxMultipleContext);
        CountExtreme(difference);
      } else if (symbol < kUnchanged) {
        const std::int32_t multiple = kMultiMax - static_cast<std::int32_t>(symbol);
        if (multiple > kMultiMin) {
          difference = m_times.Decompress(decoder, Times(multiple, last), kNegativeContext);
        } else {
          difference = m_times.Decompress(decoder, Times(kMultiMin, last), kMinMultipleContext);
          CountExtreme(difference);
        }
      } else if (symbol > kFull) {
        switchBy = symbol - kFull;
      }
      time += static_cast<std::uint64_t>(static_cast<std::int64_t>(difference));
    }
    if (switchBy) {
      // A writer switches only to a sequence within 32 bits, so never twice running.
      if (switched) throw CLazError(std::string(CLazError::kChunk) + "GPS times switch sequence twice for one point");
      m_last = (m_last + switchBy) & 3;
      continue;
    }
    if (symbol == kFull) {
      const std::uint32_t high =
          static_cast<std::uint32_t>(m_times.Decompress(decoder, static_cast<std::int32_t>(time >> 32), kFullContext));
      m_next = (m_next + 1) & 3;
      m_lastTime[m_next] = (static_cast<std::uint64_t>(high) << 32) | decoder.ReadInt();
      m_last = m_next;
      m_lastDifference[m_last] = 0;
      m_extremeCount[m_last] = 0;
    }
    break;
  }
  WriteLittleEndian(item, m_lastTime[m_last]);
}

std::uint32_t CLazGpsTime11Coder::OtherSequence(std::uint64_t time) const {
  for (std::uint32_t i = 1; i < 4; ++i) {
    std::int32_t difference;
    if (Difference32(time, m_lastTime[(m_last + i) & 3], difference)) return i;
  }
  return 0;
}

void CLazGpsTime11Coder::EncodeFull(CLazArithmeticEncoder& encoder, std::uint64_t time) {
  m_times.Compress(encoder, static_cast<std::int32_t>(m_lastTime[m_last] >> 32), static_cast<std::int32_t>(time >> 32),
                   kFullContext);
  encoder.WriteInt(static_cast<std::uint32_t>(time));
  m_next = (m_next + 1) & 3;
  m_last = m_next;
  m_lastDifference[m_last] = 0;
  m_extremeCount[m_last] = 0;
  m_lastTime[m_last] = time;
}

void CLazGpsTime11Coder::Encode(CLazArithmeticEncoder& encoder, const std::uint8_t* item) {
  EncodeInSequence(encoder, ReadLittleEndian<std::uint64_t>(item));
}

void CLazGpsTime11Coder::EncodeInSequence(CLazArithmeticEncoder& encoder, std::uint64_t time) {
  std::int32_t difference;
  const bool fits = Difference32(time, m_lastTime[m_last], difference);
  if (m_lastDifference[m_last] == 0) {
    if (time == m_lastTime[m_last]) {
      encoder.EncodeSymbol(m_afterZero, kZeroUnchanged);
    } else if (fits) {
      encoder.EncodeSymbol(m_afterZero, kZeroDifference);
      m_times.Compress(encoder, 0, difference, kAfterZeroContext);
      m_lastDifference[m_last] = difference;
      m_extremeCount[m_last] = 0;
      m_lastTime[m_last] = time;
    } else if (const std::uint32_t other = OtherSequence(time)) {
      encoder.EncodeSymbol(m_afterZero, kZeroFull + other);
      m_last = (m_last + other) & 3;
      EncodeInSequence(encoder, time);  // within 32 bits now: no further switch
    } else {
      encoder.EncodeSymbol(m_afterZero, kZeroFull);
      EncodeFull(encoder, time);
    }
    return;
  }

  if (time == m_lastTime[m_last]) {
    encoder.EncodeSymbol(m_multiple, kUnchanged);
  } else if (fits) {
    const std::int32_t last = m_lastDifference[m_last];
    const std::int32_t multiple = NearestMultiple(difference, last);
    if (multiple == 1) {
      encoder.EncodeSymbol(m_multiple, 1);
      m_times.Compress(encoder, last, difference, kSameContext);
      m_extremeCount[m_last] = 0;
    } else if (multiple > 0 && multiple < kMultiMax) {
      encoder.EncodeSymbol(m_multiple, static_cast<std::uint32_t>(multiple));
      m_times.Compress(encoder, Times(multiple, last), difference,
                       multiple < 10 ? kSmallMultipleContext : kLargeMultipleContext);
    } else if (multiple >= kMultiMax) {
      encoder.EncodeSymbol(m_multiple, kMultiMax);
      m_times.Compress(encoder, Times(kMultiMax, last), difference, kMaxMultipleContext);
      CountExtreme(difference);
    } else if (multiple < 0 && multiple > kMultiMin) {
      encoder.EncodeSymbol(m_multiple, static_cast<std::uint32_t>(kMultiMax - multiple));
      m_times.Compress(encoder, Times(multiple, last), difference, kNegativeContext);
    } else if (multiple < 0) {
      encoder.EncodeSymbol(m_multiple, static_cast<std::uint32_t>(kMultiMax - kMultiMin));
      m_times.Compress(encoder, Times(kMultiMin, last), difference, kMinMultipleContext);
      CountExtreme(difference);
    } else {
      encoder.EncodeSymbol(m_multiple, 0);
      m_times.Compress(encoder, 0, difference, kNoMultipleContext);
      CountExtreme(difference);
    }
    m_lastTime[m_last] = time;
  } else if (const std::uint32_t other = OtherSequence(time)) {
    encoder.EncodeSymbol(m_multiple, kFull + other);
    m_last = (m_last + other) & 3;
    EncodeInSequence(encoder, time);
  } else {
    encoder.EncodeSymbol(m_multiple, kFull);
    EncodeFull(encoder, time);
  }
}
