// CCoordConv checked against an independent transverse Mercator implementation: PROJ's
// cs2cs (MGA94 zones EPSG:28349..28356 to GDA94 geographic EPSG:4283). Skipped when
// cs2cs is not installed.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "core/trans/CoordConv.h"
#include "support/TestSupport.h"

namespace {

constexpr double kRadiansPerDegree = 3.14159265358979323846 / 180.0;
constexpr double kEarthRadius = 6378137.0;  // metres; enough to express a tiny angle as a distance

struct CGridPoint {
  double easting, northing;
};

// Runs cs2cs once over all points of a zone; answers (latitude, longitude) pairs.
std::vector<std::pair<double, double>> RunCs2cs(int zone, const std::vector<CGridPoint>& points,
                                                const CScratchDir& dir) {
  const std::string input = dir.File("zone" + std::to_string(zone) + ".txt");
  {
    std::ofstream out(input);
    out.precision(3);
    for (const CGridPoint& p : points) out << std::fixed << p.easting << ' ' << p.northing << '\n';
  }
  const std::string command =
      "LC_ALL=C cs2cs -f \"%.12f\" EPSG:283" + std::to_string(zone) + " EPSG:4283 < \"" + input + "\" 2>/dev/null";
  std::vector<std::pair<double, double>> result;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  const CClassicThreadLocale classic;  // the numbers have a decimal point
  char line[256];
  while (std::fgets(line, sizeof line, pipe)) {
    double latitude = 0, longitude = 0;
    if (std::sscanf(line, "%lf %lf", &latitude, &longitude) == 2) result.emplace_back(latitude, longitude);
  }
  pclose(pipe);
  return result;
}

TEST(CoordConvProj, RedfearnAgreesWithProjAcrossEveryZone) {
  if (std::system("command -v cs2cs >/dev/null 2>&1") != 0) GTEST_SKIP() << "cs2cs (proj-bin) not installed";

  // 61 eastings across the zone and its overlap, 50 northings from about 9 S to 44 S.
  std::vector<CGridPoint> points;
  for (int i = 0; i <= 60; ++i)
    for (int j = 0; j < 50; ++j) points.push_back({166000.0 + i * 11133.33, 5130000.0 + j * 78000.0 + 0.5});

  const CCoordConv& conv = CCoordConv::Instance();
  CScratchDir dir;
  double worst = 0;  // metres
  for (int zone = 49; zone <= 56; ++zone) {
    const auto reference = RunCs2cs(zone, points, dir);
    ASSERT_EQ(reference.size(), points.size()) << "cs2cs output for zone " << zone;
    double zoneWorst = 0;
    CGridPoint zoneWorstAt{};
    for (std::size_t k = 0; k < points.size(); ++k) {
      double latitude = 0, longitude = 0;
      conv.GridToGeo(zone, points[k].easting, points[k].northing, latitude, longitude);
      const double north = (latitude - reference[k].first) * kRadiansPerDegree * kEarthRadius;
      const double east =
          (longitude - reference[k].second) * kRadiansPerDegree * kEarthRadius * std::cos(latitude * kRadiansPerDegree);
      const double distance = std::hypot(north, east);
      if (distance > zoneWorst) {
        zoneWorst = distance;
        zoneWorstAt = points[k];
      }
    }
    std::printf("zone %d: %zu points, largest difference %.3f mm at E %.0f N %.0f\n", zone, points.size(),
                zoneWorst * 1000.0, zoneWorstAt.easting, zoneWorstAt.northing);
    worst = std::max(worst, zoneWorst);
  }
  std::printf("largest difference from PROJ over all zones: %.3f mm\n", worst * 1000.0);
  EXPECT_LT(worst, 0.001);  // Redfearn to x^7 is good to about a millimetre within a zone
}

}  // namespace
