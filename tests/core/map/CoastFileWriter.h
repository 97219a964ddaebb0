#pragma once
// Builds coast data files byte by byte for the tests, so that every field (including
// damaged ones) can be set on purpose.

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

class CCoastFileWriter {
 public:
  CCoastFileWriter& Magic(const std::string& magic) {
    m_bytes += magic;
    return *this;
  }
  CCoastFileWriter& Int32(std::int32_t v) { return Raw(&v, 4); }
  CCoastFileWriter& Float32(float v) { return Raw(&v, 4); }
  CCoastFileWriter& Byte(char v) {
    m_bytes += v;
    return *this;
  }
  CCoastFileWriter& Units(const std::u16string& units) { return Raw(units.data(), units.size() * 2); }

  // A whole header: magic, version, unused field.
  CCoastFileWriter& Header(const std::string& magic = "MRL", std::int32_t version = 1) {
    return Magic(magic).Int32(version).Int32(0);
  }
  CCoastFileWriter& Line(const std::vector<std::pair<float, float>>& points) {
    Int32(static_cast<std::int32_t>(points.size()));
    for (const auto& [x, y] : points) Float32(x).Float32(y);
    return *this;
  }
  CCoastFileWriter& Town(const std::u16string& name, float x, float y) {
    return Byte(0).Int32(static_cast<std::int32_t>(name.size())).Units(name).Float32(x).Float32(y);
  }

  const std::string& Bytes() const { return m_bytes; }

 private:
  CCoastFileWriter& Raw(const void* data, std::size_t size) {
    m_bytes.append(static_cast<const char*>(data), size);
    return *this;
  }
  std::string m_bytes;
};
