// Damaged coast data files: every one is refused and leaves an empty model.
#include <limits>

#include "BadInput.h"
#include "core/map/CoastFileWriter.h"
#include "core/map/MapData.h"

namespace {

class BadCoastDataTest : public ::testing::Test {
 protected:
  void ExpectRefused(const std::string& bytes, const std::string& label) {
    const std::string path = m_dir.File(CMapData::kFileName);
    const bool loaded = bad_input::RunCase(
        path, bytes, [&] { return m_map.LoadFile(path); }, label);
    EXPECT_FALSE(loaded) << label;
    EXPECT_EQ(m_map.GetLineCount(), 0u) << label;
    EXPECT_TRUE(m_map.GetTowns().empty()) << label;
  }
  // Two lines, two towns; the offsets of its counts are below.
  static std::string Whole() {
    CCoastFileWriter w;
    w.Header().Int32(2).Line({{150, -30}, {151, -30}, {151, -29}}).Line({{152, -28}});
    w.Int32(2).Town(u"Port", 150.5f, -29.5f).Town(u"Bay", 151.5f, -28.5f);
    return w.Bytes();
  }
  static constexpr std::size_t kLineCountAt = 11, kFirstPointCountAt = 15, kTownCountAt = 15 + 4 + 24 + 4 + 8,
                               kFirstNameLengthAt = kTownCountAt + 4 + 1;

  CScratchDir m_dir;
  CMapData m_map;
};

TEST_F(BadCoastDataTest, EveryCutIsRefused) {
  const std::string whole = Whole();
  {
    const std::string path = m_dir.File(CMapData::kFileName);
    ASSERT_TRUE(bad_input::RunCase(
        path, whole, [&] { return m_map.LoadFile(path); }, "whole"));
    ASSERT_EQ(m_map.GetTowns().size(), 2u);
  }
  for (std::size_t cut : bad_input::CutOffsets(whole.size())) ExpectRefused(whole.substr(0, cut), std::to_string(cut));

  const std::string real = bad_input::SourceFile("data/Marevert_CoastData.bin");
  ASSERT_FALSE(real.empty());
  for (std::size_t cut : bad_input::CutOffsets(real.size()))
    ExpectRefused(real.substr(0, cut), "coast data cut at " + std::to_string(cut));
}

TEST_F(BadCoastDataTest, CountsAndLengthsBeyondTheFileAreRefused) {
  const std::string whole = Whole();
  const auto patch = [&](std::size_t at, std::int32_t value) {
    std::string bytes = whole;
    std::memcpy(bytes.data() + at, &value, 4);  // little-endian test machine, like the format
    return bytes;
  };
  const std::int32_t huge = std::numeric_limits<std::int32_t>::max();
  // The first line holds 3 points: one more reads the next count from a coordinate.
  ExpectRefused(patch(kFirstPointCountAt, 4), "point count 4");
  for (std::int32_t value : {-1, 1 << 24, huge, std::numeric_limits<std::int32_t>::min()}) {
    const std::string v = std::to_string(value);
    ExpectRefused(patch(kLineCountAt, value), "line count " + v);
    ExpectRefused(patch(kFirstPointCountAt, value), "point count " + v);
    ExpectRefused(patch(kTownCountAt, value), "town count " + v);
    ExpectRefused(patch(kFirstNameLengthAt, value), "name length " + v);
  }
  ExpectRefused("", "empty");
  ExpectRefused(CCoastFileWriter().Header("MRL", 2).Int32(0).Int32(0).Bytes(), "version 2");
  ExpectRefused(CCoastFileWriter().Header("LRM").Int32(0).Int32(0).Bytes(), "magic");
  for (unsigned seed = 1; seed <= 8; ++seed) {
    ExpectRefused(bad_input::RandomBytes(100 * seed, seed), "random " + std::to_string(seed));
    ExpectRefused(whole.substr(0, kLineCountAt) + bad_input::RandomBytes(2000, seed),
                  "random after the header " + std::to_string(seed));
  }
}

}  // namespace
