#include "Shapefile.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <limits>

namespace {

constexpr std::int32_t kFileCode = 9994;
constexpr std::int32_t kVersion = 1000;
constexpr std::int32_t kPolygon = 5;
constexpr std::size_t kHeaderBytes = 100;
constexpr std::size_t kNameWidth = 60;  // characters of the NAME attribute

class Bytes {
 public:
  void Int32BE(std::int32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) m_data.push_back(static_cast<char>((v >> shift) & 0xFF));
  }
  void Int32LE(std::int32_t v) {
    for (int shift = 0; shift <= 24; shift += 8) m_data.push_back(static_cast<char>((v >> shift) & 0xFF));
  }
  void UInt16LE(std::uint16_t v) {
    m_data.push_back(static_cast<char>(v & 0xFF));
    m_data.push_back(static_cast<char>(v >> 8));
  }
  void DoubleLE(double v) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    for (int shift = 0; shift < 64; shift += 8) m_data.push_back(static_cast<char>((bits >> shift) & 0xFF));
  }
  void Byte(std::uint8_t v) { m_data.push_back(static_cast<char>(v)); }
  void Text(const std::string& text, std::size_t width, char fill) {
    std::string field = text.substr(0, width);
    field.resize(width, fill);
    m_data += field;
  }
  std::size_t Size() const { return m_data.size(); }
  const std::string& Data() const { return m_data; }

 private:
  std::string m_data;
};

struct Box {
  double xmin = std::numeric_limits<double>::max(), ymin = std::numeric_limits<double>::max();
  double xmax = std::numeric_limits<double>::lowest(), ymax = std::numeric_limits<double>::lowest();
  void Add(const ShapePoint& p) {
    xmin = std::min(xmin, p.x), ymin = std::min(ymin, p.y);
    xmax = std::max(xmax, p.x), ymax = std::max(ymax, p.y);
  }
  void Add(const Box& b) {
    xmin = std::min(xmin, b.xmin), ymin = std::min(ymin, b.ymin);
    xmax = std::max(xmax, b.xmax), ymax = std::max(ymax, b.ymax);
  }
};

Box BoxOf(const ShapePolygon& polygon) {
  Box box;
  for (const auto& ring : polygon.rings)
    for (const ShapePoint& p : ring) box.Add(p);
  return box;
}

// The 100-byte header shared by .shp and .shx; lengths are in 16-bit words.
void Header(Bytes& out, std::size_t fileBytes, const Box& box) {
  out.Int32BE(kFileCode);
  for (int i = 0; i < 5; ++i) out.Int32BE(0);
  out.Int32BE(static_cast<std::int32_t>(fileBytes / 2));
  out.Int32LE(kVersion);
  out.Int32LE(kPolygon);
  out.DoubleLE(box.xmin);
  out.DoubleLE(box.ymin);
  out.DoubleLE(box.xmax);
  out.DoubleLE(box.ymax);
  for (int i = 0; i < 4; ++i) out.DoubleLE(0.0);  // z and m ranges
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  file.close();
  if (!file) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

}  // namespace

bool WritePolygonShapefile(const std::string& base, const std::vector<ShapePolygon>& polygons,
                           const std::string& projectionWkt) {
  Box all;
  std::vector<Bytes> contents;
  for (const ShapePolygon& polygon : polygons) {
    const Box box = BoxOf(polygon);
    all.Add(box);
    Bytes c;
    c.Int32LE(kPolygon);
    c.DoubleLE(box.xmin);
    c.DoubleLE(box.ymin);
    c.DoubleLE(box.xmax);
    c.DoubleLE(box.ymax);
    std::int32_t points = 0;
    for (const auto& ring : polygon.rings) points += static_cast<std::int32_t>(ring.size());
    c.Int32LE(static_cast<std::int32_t>(polygon.rings.size()));
    c.Int32LE(points);
    std::int32_t start = 0;
    for (const auto& ring : polygon.rings) {
      c.Int32LE(start);
      start += static_cast<std::int32_t>(ring.size());
    }
    for (const auto& ring : polygon.rings)
      for (const ShapePoint& p : ring) {
        c.DoubleLE(p.x);
        c.DoubleLE(p.y);
      }
    contents.push_back(std::move(c));
  }

  std::size_t shpBytes = kHeaderBytes;
  for (const Bytes& c : contents) shpBytes += 8 + c.Size();
  const std::size_t shxBytes = kHeaderBytes + 8 * contents.size();

  Bytes shp, shx;
  Header(shp, shpBytes, all);
  Header(shx, shxBytes, all);
  for (std::size_t i = 0; i < contents.size(); ++i) {
    shx.Int32BE(static_cast<std::int32_t>(shp.Size() / 2));
    shx.Int32BE(static_cast<std::int32_t>(contents[i].Size() / 2));
    shp.Int32BE(static_cast<std::int32_t>(i + 1));
    shp.Int32BE(static_cast<std::int32_t>(contents[i].Size() / 2));
    shp.Text(contents[i].Data(), contents[i].Size(), '\0');
  }

  // dBASE III table with one character field NAME.
  Bytes dbf;
  const std::time_t now = std::time(nullptr);
  std::tm date{};
  gmtime_r(&now, &date);
  dbf.Byte(0x03);  // dBASE III; the date below counts years from 1900
  dbf.Byte(static_cast<std::uint8_t>(date.tm_year));
  dbf.Byte(static_cast<std::uint8_t>(date.tm_mon + 1));
  dbf.Byte(static_cast<std::uint8_t>(date.tm_mday));
  dbf.Int32LE(static_cast<std::int32_t>(polygons.size()));
  dbf.UInt16LE(static_cast<std::uint16_t>(32 + 32 + 1));
  dbf.UInt16LE(static_cast<std::uint16_t>(1 + kNameWidth));
  for (int i = 0; i < 20; ++i) dbf.Byte(0);
  dbf.Text("NAME", 11, '\0');
  dbf.Byte('C');
  for (int i = 0; i < 4; ++i) dbf.Byte(0);
  dbf.Byte(static_cast<std::uint8_t>(kNameWidth));
  dbf.Byte(0);
  for (int i = 0; i < 14; ++i) dbf.Byte(0);
  dbf.Byte(0x0D);
  for (const ShapePolygon& polygon : polygons) {
    dbf.Byte(' ');
    dbf.Text(polygon.name, kNameWidth, ' ');
  }
  dbf.Byte(0x1A);

  return WriteFile(base + ".shp", shp.Data()) && WriteFile(base + ".shx", shx.Data()) &&
         WriteFile(base + ".dbf", dbf.Data()) && WriteFile(base + ".prj", projectionWkt);
}
