// Depths below LAT at three positions carried to AHD with a Marevert grid file.
#include <marevert/Marevert.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: consumer GRID\n");
    return 2;
  }
  try {
    const marevert::CGrid grid(argv[1]);
    const double lon[] = {151.35, 151.79, 100.0}, lat[] = {-33.85, -33.26, -33.0}, depth[] = {12.0, 7.5, 3.0};
    double ahd[3];
    bool inside[3];
    marevert::CTransformOptions options;
    options.sign = marevert::Sign::DepthsPositive;
    marevert::Transform(grid, "LAT", "AHD", 3, lon, lat, depth, ahd, inside, options);
    for (int i = 0; i < 3; ++i) {
      if (inside[i])
        std::printf("%.6f %.6f %.2f LAT -> %.2f AHD\n", lat[i], lon[i], depth[i], ahd[i]);
      else
        std::printf("%.6f %.6f outside the grid\n", lat[i], lon[i]);
    }
  } catch (const marevert::CError& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
