#include "LazRecords14.h"

#include <bit>
#include <cstring>
#include <limits>
#include <random>

#include "core/common/ByteOrder.h"
#include "core/laz/LazVlr.h"

namespace {

// Byte ranges of the fields that have layers of their own, and the bits of the flag byte that
// are not the scanner channel. A frozen field is copied from the chunk's first record.
struct CField {
  std::size_t offset, size;
};
constexpr CField kZ{8, 4}, kIntensity{12, 2}, kClassification{16, 1}, kUserData{17, 1}, kScanAngle{18, 2},
    kPointSource{20, 2}, kGpsTime{22, 8};
constexpr std::uint8_t kFlagBitsNotChannel = 0xCF;

class CGenerator {
 public:
  CGenerator(const CRecords14& r, std::uint64_t seed, bool surveyOnly)
      : m_r(r), m_random(seed), m_surveyOnly(surveyOnly) {
    for (double& base : m_timeBases) base = 1e5 + Uniform(0, 4e8);
    m_x = static_cast<std::int32_t>(Uniform(-1e6, 1e6));
    m_y = static_cast<std::int32_t>(Uniform(-1e6, 1e6));
  }

  void Chunk(std::uint8_t* records, std::size_t count) {
    const int character = m_surveyOnly ? 0 : static_cast<int>(m_random() % 3);
    m_alternate = m_random() % 3 == 0;
    for (std::size_t i = 0; i < count; ++i) {
      std::uint8_t* record = records + i * m_r.recordLength;
      if (character == 1) {
        Wild(record, i ? record - m_r.recordLength : nullptr);
      } else {
        Survey(record, character == 2);
      }
    }
    if (!m_surveyOnly) Freeze(records, count);
  }

 private:
  double Uniform(double low, double high) { return std::uniform_real_distribution<double>(low, high)(m_random); }
  bool OneIn(std::uint64_t n) { return m_random() % n == 0; }
  std::int32_t Step(std::int32_t spread) { return static_cast<std::int32_t>(m_random() % (2 * spread + 1)) - spread; }

  void Wild(std::uint8_t* record, const std::uint8_t* previous) {
    for (std::size_t b = 0; b < m_r.recordLength; ++b) record[b] = static_cast<std::uint8_t>(m_random());
    if (previous && OneIn(4)) std::memcpy(record + kGpsTime.offset, previous + kGpsTime.offset, 8);
    if (OneIn(10)) WriteLittleEndian(record + kGpsTime.offset, OneIn(2) ? 0.0 : -0.0);
    if (OneIn(20)) WriteLittleEndian(record + kGpsTime.offset, std::numeric_limits<double>::quiet_NaN());
    if (previous && OneIn(3)) {  // a small step from the last record, as scanners make
      std::memcpy(record, previous, m_r.recordLength);
      WriteLittleEndian(record, ReadLittleEndian<std::int32_t>(previous) + Step(3));
    }
  }

  // A pulse train of returns; `hopping` switches channels and return numbering at random and
  // moves between time bases often.
  void Survey(std::uint8_t* record, bool hopping) {
    if (m_return >= m_returns || hopping) NewPulse(hopping);
    ++m_return;
    std::uint8_t returns = static_cast<std::uint8_t>(m_return | (m_returns << 4));
    if (hopping && OneIn(3)) returns = static_cast<std::uint8_t>(m_random());
    m_z += Step(40) - 30 * (m_return - 1);
    WriteLittleEndian(record, m_x + Step(2));
    WriteLittleEndian(record + 4, m_y + Step(2));
    WriteLittleEndian(record + 8, m_z);
    WriteLittleEndian(record + 12, static_cast<std::uint16_t>(m_random() % (OneIn(50) ? 65536 : 600)));
    record[14] = returns;
    if (OneIn(300)) m_classFlags = static_cast<std::uint8_t>(m_random() % 16);
    if (OneIn(500)) m_edge ^= 1;
    record[15] = static_cast<std::uint8_t>(m_classFlags | (m_channel << 4) | (m_direction << 6) | (m_edge << 7));
    const std::uint8_t classes[] = {1, 2, 2, 2, 6, 9};
    record[16] = OneIn(40) ? static_cast<std::uint8_t>(m_random()) : classes[m_random() % 6];
    record[17] = OneIn(100) ? static_cast<std::uint8_t>(m_random()) : m_userData;
    WriteLittleEndian(record + 18, m_scanAngle);
    WriteLittleEndian(record + 20, m_pointSource);
    WriteLittleEndian(record + 22, m_time);
    std::uint8_t* more = record + 30;
    if (m_r.format >= 7) {
      for (int c = 0; c < (m_r.format == 8 ? 4 : 3); ++c) {
        m_colour[c] = static_cast<std::uint16_t>(m_colour[c] + Step(OneIn(20) ? 3000 : 3));
        // Grey points (red = green = blue) take the shorter path of the colour coder.
        const std::uint16_t value = m_grey && c < 3 ? m_colour[0] : m_colour[c];
        WriteLittleEndian(more + 2 * c, value);
      }
      more += m_r.format == 8 ? 8 : 6;
    }
    for (std::size_t b = 0; b < m_r.extraBytes; ++b) {
      more[b] = b % 3 == 0 ? static_cast<std::uint8_t>(m_random()) : static_cast<std::uint8_t>(m_z >> (b % 3 * 4));
    }
  }

  void NewPulse(bool hopping) {
    m_return = 0;
    m_returns = hopping ? static_cast<int>(m_random() % 16) : 1 + static_cast<int>(m_random() % 4);
    m_x += Step(60);
    m_y += Step(60);
    m_scanAngle = static_cast<std::int16_t>(m_scanAngle + Step(3));
    if (OneIn(200)) m_direction ^= 1;
    if (OneIn(hopping ? 2 : 400)) m_channel = static_cast<int>(m_random() % 4);
    if (m_alternate) m_channel ^= 1;
    if (OneIn(800)) m_pointSource = static_cast<std::uint16_t>(m_random());
    if (OneIn(800)) m_userData = static_cast<std::uint8_t>(m_random());
    if (OneIn(300)) m_grey = !m_grey;
    // GPS time: a regular step, now and then another step, a repeat, a jump or another base.
    if (OneIn(hopping ? 3 : 600)) m_base = static_cast<int>(m_random() % 4);
    double& time = m_timeBases[m_base];
    if (OneIn(500)) {
      time += Uniform(-5e4, 5e4);
    } else if (!OneIn(20)) {
      time += OneIn(30) ? m_step * static_cast<double>(m_random() % 1200) - m_step * 20 : m_step;
    }
    if (OneIn(1000)) m_step = Uniform(1e-7, 1e-3);
    m_time = time;
  }

  void Freeze(std::uint8_t* records, std::size_t count) {
    std::vector<CField> frozen;
    for (CField field : {kZ, kIntensity, kClassification, kUserData, kScanAngle, kPointSource, kGpsTime}) {
      if (OneIn(2)) frozen.push_back(field);
    }
    std::size_t end = 30;
    if (m_r.format >= 7) {
      if (OneIn(2)) frozen.push_back({30, 6});
      if (m_r.format == 8 && OneIn(2)) frozen.push_back({36, 2});
      end += m_r.format == 8 ? 8 : 6;
    }
    for (std::size_t b = 0; b < m_r.extraBytes; ++b) {
      if (OneIn(2)) frozen.push_back({end + b, 1});
    }
    const bool flagsFrozen = OneIn(2);
    for (std::size_t i = 1; i < count; ++i) {
      std::uint8_t* record = records + i * m_r.recordLength;
      for (const CField& field : frozen) std::memcpy(record + field.offset, records + field.offset, field.size);
      if (flagsFrozen) {
        record[15] =
            static_cast<std::uint8_t>((record[15] & ~kFlagBitsNotChannel) | (records[15] & kFlagBitsNotChannel));
      }
    }
  }

  const CRecords14& m_r;
  std::mt19937_64 m_random;
  bool m_surveyOnly;
  std::int32_t m_x = 0, m_y = 0, m_z = 0;
  int m_return = 0, m_returns = 0, m_channel = 0, m_base = 0;
  bool m_alternate = false, m_grey = false;
  std::uint8_t m_classFlags = 0, m_direction = 0, m_edge = 0, m_userData = 0;
  std::int16_t m_scanAngle = 0;
  std::uint16_t m_pointSource = 17;
  std::uint16_t m_colour[4] = {30000, 31000, 29000, 12000};
  double m_timeBases[4] = {};
  double m_step = 1.3e-5;
  double m_time = 0;
};

}  // namespace

CRecords14 MakeRecords14(int format, std::size_t extraBytes, std::size_t count,
                         const std::vector<std::size_t>& chunkPattern, std::uint64_t seed, bool surveyOnly) {
  CRecords14 r;
  r.format = format;
  r.extraBytes = extraBytes;
  r.recordLength = 30 + (format == 7 ? 6 : format == 8 ? 8 : 0) + extraBytes;
  r.bytes.resize(count * r.recordLength);
  CGenerator generator(r, seed, surveyOnly);
  for (std::size_t done = 0, i = 0; done < count; ++i) {
    const std::size_t size = std::min(chunkPattern[i % chunkPattern.size()], count - done);
    generator.Chunk(r.bytes.data() + done * r.recordLength, size);
    r.chunkSizes.push_back(size);
    done += size;
  }
  return r;
}

std::vector<CLazItem> Items14(int format, std::size_t extraBytes) {
  const std::size_t length = 30 + (format == 7 ? 6 : format == 8 ? 8 : 0) + extraBytes;
  return CLazVlr::ForPointFormat(format, length, CLazVlr::kDefaultChunkSize).items;
}
