#include "core/map/MapData.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "core/common/PathUtil.h"

std::unique_ptr<CMapData> CMapData::s_instance;

namespace {

static_assert(std::endian::native == std::endian::little, "the coast data reader assumes a little-endian host");

constexpr char kMagic[3] = {'M', 'R', 'L'};
constexpr std::int32_t kVersion = 1;
// Smallest sizes of the records, used to bound counts by the bytes that remain.
constexpr std::int64_t kLineRecordMin = 4;          // point count
constexpr std::int64_t kPointSize = 8;              // x, y
constexpr std::int64_t kTownRecordMin = 1 + 4 + 8;  // unused byte, name length, x, y

struct CDamaged : std::runtime_error {
  CDamaged() : std::runtime_error("damaged coast data file") {}
};

// Reads the little-endian fields of the file held in memory; every read that would pass
// the end throws.
class CByteReader {
 public:
  explicit CByteReader(const std::string& bytes) : m_bytes(bytes) {}

  std::int64_t Remaining() const { return static_cast<std::int64_t>(m_bytes.size() - m_pos); }

  void Read(void* out, std::size_t size) {
    if (static_cast<std::int64_t>(size) > Remaining()) throw CDamaged();
    std::memcpy(out, m_bytes.data() + m_pos, size);
    m_pos += size;
  }
  std::int32_t Int32() {
    std::int32_t v;
    Read(&v, sizeof v);
    return v;
  }
  float Float32() {
    float v;
    Read(&v, sizeof v);
    return v;
  }
  void Skip(std::size_t size) {
    if (static_cast<std::int64_t>(size) > Remaining()) throw CDamaged();
    m_pos += size;
  }
  // A count of records that take at least `recordMin` bytes each: negative counts and
  // counts that the rest of the file cannot hold mark a damaged file.
  std::int32_t Count(std::int64_t recordMin) {
    const std::int32_t n = Int32();
    if (n < 0 || n * recordMin > Remaining()) throw CDamaged();
    return n;
  }

 private:
  const std::string& m_bytes;
  std::size_t m_pos = 0;
};

}  // namespace

CMapData& CMapData::Instance() {
  if (!s_instance) s_instance = std::make_unique<CMapData>();
  return *s_instance;
}

void CMapData::Release() { s_instance.reset(); }

bool CMapData::Load() {
  Clear();
  std::string folder;
  if (!GetProgramFolder(folder)) return false;
  return LoadFile(folder + kFileName);
}

bool CMapData::LoadFile(const std::string& path) {
  Clear();
  std::string bytes;
  {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    if (file.bad()) return false;
  }

  // Built aside and taken over only when the whole file has been read.
  std::vector<CMapLine> lines;
  std::vector<CMapTown> towns;
  CMapRect extent = m_extent;  // kept when the first line has no points
  try {
    CByteReader in(bytes);
    char magic[3];
    in.Read(magic, sizeof magic);
    const std::int32_t version = in.Int32();
    in.Int32();  // not interpreted
    if (std::memcmp(magic, kMagic, sizeof magic) != 0 || version != kVersion) return false;

    const std::int32_t lineCount = in.Count(kLineRecordMin);
    lines.reserve(lineCount);
    for (std::int32_t i = 0; i < lineCount; ++i) {
      CMapLine& line = lines.emplace_back();
      const std::int32_t pointCount = in.Count(kPointSize);
      line.m_points.reserve(pointCount);
      for (std::int32_t j = 0; j < pointCount; ++j) {
        CMapPt pt;
        pt.m_x = in.Float32();
        pt.m_y = in.Float32();
        if (i == 0 && j == 0) {
          extent = CMapRect(pt, pt);
        } else {
          extent.Extend(pt);
        }
        line.AddPoint(pt);
      }
    }

    const std::int32_t townCount = in.Count(kTownRecordMin);
    towns.reserve(townCount);
    for (std::int32_t i = 0; i < townCount; ++i) {
      in.Skip(1);  // not interpreted
      const std::int32_t length = in.Count(2);
      std::u16string name(static_cast<std::size_t>(length), u'\0');
      if (length > 0) in.Read(name.data(), 2 * static_cast<std::size_t>(length));
      // The name ends at its first zero unit, if it holds one.
      name.resize(std::char_traits<char16_t>::length(name.c_str()));
      CMapPt pos;
      pos.m_x = in.Float32();
      pos.m_y = in.Float32();
      towns.emplace_back(std::move(name), pos);
    }
  } catch (const CDamaged&) {
    return false;
  }

  m_lines = std::move(lines);
  m_towns = std::move(towns);
  m_extent = extent;
  return true;
}

void CMapData::Clear() {
  m_lines.clear();
  m_lines.shrink_to_fit();
  m_towns.clear();
  m_towns.shrink_to_fit();
}

bool CMapData::EnsureLoaded() {
  if (!m_lines.empty()) return true;
  if (Load() && !m_lines.empty()) return true;
  Clear();
  return false;
}
