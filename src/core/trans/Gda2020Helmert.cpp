// The height part of the GDA94 to GDA2020 transformation.
//
// Source: EPSG:8048 "GDA94 to GDA2020 (1)", the 7-parameter similarity transformation
// of the GDA2020 Technical Manual (ICSM), EPSG method 9607, coordinate frame rotation
// convention, applied to geocentric coordinates on GRS80 (a = 6378137 m,
// 1/f = 298.257222101), the ellipsoid of both datums:
//
//   tX = +61.55 mm       rX = -39.4924 mas       s = -9.994 ppb
//   tY = -10.87 mm       rY = -32.7221 mas
//   tZ = -40.19 mm       rZ = -32.8979 mas
//
//   dX = tX + s X + rZ Y - rY Z
//   dY = tY - rZ X + s Y + rX Z      (coordinate frame: the rotations' signs are
//   dZ = tZ + rY X - rX Y + s Z       those of EPSG's method 9607)
//
// The change of the ellipsoidal height is the geocentric change along the ellipsoid
// normal, dh = n . dX with n = (cos phi cos lambda, cos phi sin lambda, sin phi). The
// full route (geodetic to geocentric, the Helmert, back to geodetic) differs from this
// only by terms of second order in the shift, |dX|^2 / R with |dX| about 1.5 m: 0.3
// micrometres. So there is no inverse conversion here: against PROJ's full route
// (EPSG:4939 to EPSG:7843) the heights agree within 0.3 micrometres over Australia. The
// point is taken on the ellipsoid (h = 0): a height h changes dh only through the
// scale, by s h, 10 micrometres at 1000 m. EPSG gives the transformation itself an
// accuracy of 0.01 m (it leaves out GDA94's distortion); every tool that uses EPSG:8048
// shares that.
//
// Range: EPSG's area of use, Australia with its offshore islands (8.5 to 60.5 S, 93.4
// to 173.3 E); the formula answers anywhere, unchecked.
//
// Units: latitude and longitude in decimal degrees at the interface, radians inside;
// lengths in metres; rotations in radians (1 mas = pi / 648000000 rad); the scale as a
// plain factor.
//
// Symbols and the variables that hold them:
//   phi, lambda     latitude, longitude (radians)       phi, lambda; sinPhi, cosPhi, ...
//   N               prime vertical radius of curvature  nu
//   X, Y, Z         geocentric position on GRS80        x, y, z
//   tX, tY, tZ      translations                        kTx, kTy, kTz
//   rX, rY, rZ      rotations                           kRx, kRy, kRz
//   s               scale difference                    kScale
//   dX, dY, dZ      geocentric change                   dx, dy, dz

#include "core/trans/Gda2020Helmert.h"

#include <cmath>

namespace {

constexpr double kRadiansPerDegree = 0.017453292519943295;          // pi / 180
constexpr double kRadiansPerMilliarcsecond = 4.84813681109536e-09;  // pi / 648000000
constexpr double kA = 6378137.0;                                    // GRS80 semi-major axis, metres
constexpr double kF = 1.0 / 298.257222101;                          // GRS80 flattening
constexpr double kE2 = kF * (2.0 - kF);                             // first eccentricity squared
constexpr double kTx = 0.06155, kTy = -0.01087, kTz = -0.04019;     // metres
constexpr double kRx = -39.4924 * kRadiansPerMilliarcsecond;        // radians
constexpr double kRy = -32.7221 * kRadiansPerMilliarcsecond;
constexpr double kRz = -32.8979 * kRadiansPerMilliarcsecond;
constexpr double kScale = -9.994e-9;  // parts per billion as a factor

}  // namespace

double CGda2020Helmert::HeightChange(double latitude, double longitude) {
  const double phi = latitude * kRadiansPerDegree, lambda = longitude * kRadiansPerDegree;
  const double sinPhi = std::sin(phi), cosPhi = std::cos(phi), sinLambda = std::sin(lambda),
               cosLambda = std::cos(lambda);
  const double nu = kA / std::sqrt(1.0 - kE2 * sinPhi * sinPhi);
  const double x = nu * cosPhi * cosLambda;
  const double y = nu * cosPhi * sinLambda;
  const double z = nu * (1.0 - kE2) * sinPhi;
  const double dx = kTx + kScale * x + kRz * y - kRy * z;
  const double dy = kTy - kRz * x + kScale * y + kRx * z;
  const double dz = kTz + kRy * x - kRx * y + kScale * z;
  return cosPhi * cosLambda * dx + cosPhi * sinLambda * dy + sinPhi * dz;
}
