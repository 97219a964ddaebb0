// The per-point path with the sign factor and the coding values given per handler and
// per grid rather than class-wide: what a library caller with several grids and threads
// relies on.

#include <gtest/gtest.h>

#include <random>
#include <thread>
#include <vector>

#include "FilesTestSupport.h"
#include "core/files/FileText.h"

namespace {

struct CPoints {
  std::vector<double> lon, lat, z;
  std::vector<char> inside;  // bool, but addressable
};

CPoints RandomPoints(unsigned seed, std::size_t count) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> lon(149.5, 155.5), lat(-30.5, -24.5), z(-20, 20);
  CPoints p;
  for (std::size_t i = 0; i < count; ++i) {
    p.lon.push_back(lon(random));
    p.lat.push_back(lat(random));
    p.z.push_back(z(random));
  }
  p.inside.assign(count, 0);
  return p;
}

void Transform(CFileBase& handler, const CGridInt* grid, CPoints& p) {
  CDataPt point;
  handler.PrepareTransform(CFilesTestGrid::Msl(), CFilesTestGrid::Lat());
  handler.TransformPoints(p.z.size(), p.lon.data(), p.lat.data(), p.z.data(), reinterpret_cast<bool*>(p.inside.data()),
                          grid, CFilesTestGrid::Msl(), 56, CFilesTestGrid::Lat(), point);
}

}  // namespace

TEST(TransformPointsTest, AGivenSignAndOwnCodingGiveWhatTheClassWideOnesGive) {
  // Reference results the programs' way: class-wide coding and sign, for both signs.
  CPoints expected[2];
  CGridInt grids[2];
  for (int s = 0; s < 2; ++s) {
    const CFilesTestGrid test(s == 0 ? 1.0 : -1.0);
    CFileText handler;
    expected[s] = RandomPoints(7, 2000);
    Transform(handler, test.Grid(), expected[s]);
    grids[s] = *test.Grid();
    grids[s].SetCoding({-100.0f, 100.0f});  // the values the test grid was coded with
  }
  // Class-wide values that would give other numbers, while two threads work at once,
  // each with its own grid and sign.
  const CFilesTestGrid otherValues(1.0);
  CDataPt::s_offset = 5.0f, CDataPt::s_scale = 3.0f;
  CPoints got[2] = {RandomPoints(7, 2000), RandomPoints(7, 2000)};
  std::vector<std::thread> threads;
  for (int s = 0; s < 2; ++s)
    threads.emplace_back([&, s] {
      CFileText handler;
      handler.SetSign(s == 0 ? 1.0 : -1.0);
      for (int round = 0; round < 20; ++round) {
        got[s] = RandomPoints(7, 2000);
        Transform(handler, &grids[s], got[s]);
      }
    });
  for (auto& thread : threads) thread.join();
  for (int s = 0; s < 2; ++s) {
    EXPECT_EQ(got[s].inside, expected[s].inside);
    EXPECT_EQ(got[s].z, expected[s].z);
  }
  EXPECT_NE(expected[0].z, expected[1].z);
}
