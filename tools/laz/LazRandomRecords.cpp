#include "LazRandomRecords.h"

#include <array>
#include <bit>
#include <random>
#include <stdexcept>

#include "core/common/ByteOrder.h"

namespace {

// Where a format's fields lie (0: absent, except X at 0).
struct CFormatLayout {
  std::size_t length;
  bool legacy;  // formats 0 to 5: flags byte with 3-bit returns, 8-bit scan angle
  std::size_t gpsTime, rgb, nir;
};

CFormatLayout Layout(int format) {
  switch (format) {
    case 0:
      return {20, true, 0, 0, 0};
    case 1:
      return {28, true, 20, 0, 0};
    case 2:
      return {26, true, 0, 20, 0};
    case 3:
      return {34, true, 20, 28, 0};
    case 6:
      return {30, false, 22, 0, 0};
    case 7:
      return {36, false, 22, 30, 0};
    case 8:
      return {38, false, 22, 30, 36};
    default:
      throw std::invalid_argument("no random records of point format " + std::to_string(format));
  }
}

// Fields vary in runs of one of these behaviours.
enum class EMode { kSmooth, kWild, kRepeat };

class CGenerator {
 public:
  CGenerator(std::uint64_t seed) : m_random(seed) {}

  std::uint64_t Bits() { return m_random(); }
  bool OneIn(std::uint64_t n) { return m_random() % n == 0; }
  std::int64_t Between(std::int64_t low, std::int64_t high) {
    return low + static_cast<std::int64_t>(m_random() % static_cast<std::uint64_t>(high - low + 1));
  }
  EMode Mode() {
    if (m_runLeft == 0) {
      const std::uint64_t r = m_random() % 10;
      m_mode = r < 6 ? EMode::kSmooth : r < 8 ? EMode::kWild : EMode::kRepeat;
      m_runLeft = static_cast<std::size_t>(Between(1, OneIn(4) ? 5000 : 50));
    }
    --m_runLeft;
    return m_mode;
  }

 private:
  std::mt19937_64 m_random;
  EMode m_mode = EMode::kSmooth;
  std::size_t m_runLeft = 0;
};

std::int32_t Step(CGenerator& g, std::int32_t last, EMode mode, std::int64_t small) {
  if (mode == EMode::kRepeat) return last;
  if (mode == EMode::kWild || g.OneIn(400)) {
    // Anything, the extremes among it: X, Y, Z jumps and wraps.
    const std::uint64_t r = g.Bits();
    if (r % 8 == 0) return r % 16 == 0 ? INT32_MIN : INT32_MAX;
    return static_cast<std::int32_t>(r >> 16);
  }
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(last) +
                                   static_cast<std::uint32_t>(g.Between(-small, small)));
}

std::uint8_t SmallByte(CGenerator& g, std::uint8_t last, EMode mode, const std::array<std::uint8_t, 4>& usual) {
  if (mode == EMode::kRepeat || g.OneIn(3)) return last;
  if (mode == EMode::kWild || g.OneIn(50)) return static_cast<std::uint8_t>(g.Bits());
  return usual[g.Bits() % usual.size()];
}

// GPS times: up to four interleaved sequences stepping steadily, with repeats, switches,
// jumps beyond 32-bit differences, and arbitrary bit patterns (NaN and infinities among
// them).
class CTimes {
 public:
  std::uint64_t Next(CGenerator& g, EMode mode) {
    if (mode == EMode::kRepeat || g.OneIn(20)) return m_times[m_current];
    if (g.OneIn(30)) m_current = static_cast<std::size_t>(g.Bits() % m_times.size());
    std::uint64_t& t = m_times[m_current];
    if (mode == EMode::kWild) {
      const std::uint64_t r = g.Bits() % 4;
      t = r == 0 ? g.Bits() : r == 1 ? t + (g.Bits() % 1000) - 500 : t + (g.Bits() >> 20);
    } else if (g.OneIn(200)) {
      t = std::bit_cast<std::uint64_t>(std::bit_cast<double>(t) + static_cast<double>(g.Between(1, 100000)));
    } else {
      const double step = m_step[m_current] * (g.OneIn(10) ? static_cast<double>(g.Between(-12, 600)) : 1.0);
      t = std::bit_cast<std::uint64_t>(std::bit_cast<double>(t) + step);
      if (g.OneIn(100)) m_step[m_current] = 1e-6 * static_cast<double>(g.Between(1, 100));
    }
    return t;
  }

 private:
  std::array<std::uint64_t, 4> m_times{std::bit_cast<std::uint64_t>(312000.5), std::bit_cast<std::uint64_t>(312010.25),
                                       std::bit_cast<std::uint64_t>(9.0e8), std::bit_cast<std::uint64_t>(-1.0)};
  std::array<double, 4> m_step{1e-5, 2e-5, 1.0 / 3, 1e-6};
  std::size_t m_current = 0;
};

std::uint16_t Channel(CGenerator& g, std::uint16_t last, EMode mode) {
  if (mode == EMode::kRepeat || g.OneIn(4)) return last;
  if (mode == EMode::kWild) return static_cast<std::uint16_t>(g.Bits());
  // Small changes in either byte, 8-bit colours among them.
  const std::uint64_t r = g.Bits() % 3;
  if (r == 0)
    return static_cast<std::uint16_t>((last & 0xFF00) | static_cast<std::uint8_t>((last & 0xFF) + g.Between(-9, 9)));
  if (r == 1) return static_cast<std::uint16_t>(last + 256 * g.Between(-2, 2));
  return static_cast<std::uint16_t>(g.Between(0, 255) * 257);
}

}  // namespace

std::size_t LasFormatLength(int format) { return Layout(format).length; }

std::vector<std::uint8_t> RandomRecords(int format, std::size_t extraBytes, std::size_t count, std::uint64_t seed) {
  const CFormatLayout layout = Layout(format);
  const std::size_t length = layout.length + extraBytes;
  std::vector<std::uint8_t> records(length * count);
  CGenerator g(seed);
  CTimes times;
  std::array<std::int32_t, 3> xyz{100000, -200000, 3000};
  std::uint16_t intensity = 400, pointSource = 7;
  std::array<std::uint16_t, 4> colour{1000, 1000, 1000, 500};
  std::uint8_t classification = 2, userData = 0, scanAngle8 = 0, flags = 0, returns = 0x11;
  std::int16_t scanAngle16 = 0;
  std::size_t combination = 0;  // runs through every return number / number of returns pair
  std::vector<std::uint8_t> extra(extraBytes);

  for (std::size_t i = 0; i < count; ++i) {
    std::uint8_t* record = &records[i * length];
    const EMode mode = g.Mode();
    for (std::size_t axis = 0; axis < 3; ++axis) xyz[axis] = Step(g, xyz[axis], mode, axis == 2 ? 300 : 3000);
    intensity = static_cast<std::uint16_t>(Step(g, intensity, mode, 40));
    if (mode != EMode::kRepeat && g.OneIn(2)) ++combination;
    if (layout.legacy) {
      // Return number, number of returns (3 bits each), scan direction, edge of line.
      const auto pair = static_cast<std::uint8_t>(combination % 64);
      flags =
          mode == EMode::kWild ? static_cast<std::uint8_t>(g.Bits()) : static_cast<std::uint8_t>(pair | (flags & 0xC0));
      if (g.OneIn(97)) flags ^= 0x40;
      if (g.OneIn(89)) flags ^= 0x80;
    } else {
      // Return number and number of returns (4 bits each); classification flags, scanner
      // channel, scan direction and edge of line.
      returns =
          mode == EMode::kWild ? static_cast<std::uint8_t>(g.Bits()) : static_cast<std::uint8_t>(combination % 256);
      if (mode == EMode::kWild || g.OneIn(60)) flags = static_cast<std::uint8_t>(g.Bits());
    }
    classification = SmallByte(g, classification, mode, {1, 2, 6, 9});
    userData = SmallByte(g, userData, mode, {0, 0, 1, 255});
    if (mode == EMode::kWild || g.OneIn(7)) {
      scanAngle8 = static_cast<std::uint8_t>(mode == EMode::kWild ? g.Bits() : scanAngle8 + g.Between(-3, 3));
      scanAngle16 = static_cast<std::int16_t>(mode == EMode::kWild ? g.Bits() : scanAngle16 + g.Between(-100, 100));
    }
    if (mode == EMode::kWild || g.OneIn(1000))
      pointSource = static_cast<std::uint16_t>(g.Bits() % (g.OneIn(2) ? 20 : 65536));

    WriteLittleEndian(record, xyz[0]);
    WriteLittleEndian(record + 4, xyz[1]);
    WriteLittleEndian(record + 8, xyz[2]);
    WriteLittleEndian(record + 12, intensity);
    if (layout.legacy) {
      record[14] = flags;
      record[15] = classification;
      record[16] = scanAngle8;
      record[17] = userData;
      WriteLittleEndian(record + 18, pointSource);
    } else {
      record[14] = returns;
      record[15] = flags;
      record[16] = classification;
      record[17] = userData;
      WriteLittleEndian(record + 18, scanAngle16);
      WriteLittleEndian(record + 20, pointSource);
    }
    if (layout.gpsTime) WriteLittleEndian(record + layout.gpsTime, times.Next(g, mode));
    if (layout.rgb) {
      colour[0] = Channel(g, colour[0], mode);
      // Grey runs (all channels equal), one channel equal to red, or each its own.
      const std::uint64_t r = mode == EMode::kRepeat ? 3 : g.Bits() % 4;
      colour[1] = r == 0 ? colour[0] : Channel(g, colour[1], mode);
      colour[2] = r == 0 || r == 1 ? colour[0] : Channel(g, colour[2], mode);
      for (std::size_t c = 0; c < 3; ++c) WriteLittleEndian(record + layout.rgb + 2 * c, colour[c]);
    }
    if (layout.nir) {
      colour[3] = Channel(g, colour[3], mode);
      WriteLittleEndian(record + layout.nir, colour[3]);
    }
    for (std::size_t b = 0; b < extraBytes; ++b) {
      if (mode == EMode::kWild || g.OneIn(b + 2)) extra[b] = static_cast<std::uint8_t>(b % 2 ? g.Bits() : extra[b] + 1);
      record[layout.length + b] = extra[b];
    }
  }
  return records;
}
