// MGA (GDA94 transverse Mercator, 6-degree zones, southern hemisphere) to geographic
// coordinates on the GRS80 ellipsoid.
//
// Source of the series: Redfearn's formulae for the transverse Mercator projection as
// published for GDA94 (Geocentric Datum of Australia Technical Manual, "Grid to
// geographic" conversion). Meridian distance uses the A0..A6 series truncated after e^6.
//
// Units: eastings, northings and lengths in metres; angles in radians inside, decimal
// degrees at the interface (latitude negative south of the equator, longitude east).
//
// Accuracy and range: about a millimetre on the ground within a zone (a central meridian
// offset of up to about 3.5 degrees, the zone plus its customary overlap); the error grows
// quickly beyond that because the series are cut after the x^7 terms. Zone and inputs are
// not checked: any zone number gives a central meridian, any easting/northing a result.
//
// Symbols of the series and the variables that hold them:
//   E, N        easting, northing                      easting, northing
//   m           meridian distance of the point         m
//   M(phi)      meridian distance series               MeridianDistance(phi)
//   phi'        foot-point latitude                    phi
//   t = tan phi', s = sin phi'                         t, s
//   rho, nu     meridian and prime vertical radii      rho, nu
//   psi         nu / rho                               psi
//   E'          (E - false easting) / k0               eDash
//   x           E' / nu                                x
//
// Foot-point latitude: Newton's method on M(phi) = m, starting at m / (a A0). Stops after
// the step whose correction is below 1e-11 rad (about 0.06 mm) or after 20 steps; the
// latitude reached at the cap is used as it is (in practice 3 or 4 steps suffice).

#include "core/trans/CoordConv.h"

#include <cmath>
#include <memory>

namespace {

constexpr double kDegreesPerRadian = 57.29577951308232;  // 180 / pi
constexpr int kMaxFootPointSteps = 20;
constexpr double kFootPointTolerance = 1e-11;  // radians

std::unique_ptr<CCoordConv>& Holder() {
  static std::unique_ptr<CCoordConv> instance;
  return instance;
}

}  // namespace

CCoordConv& CCoordConv::Instance() {
  auto& instance = Holder();
  if (!instance) instance.reset(new CCoordConv());
  return *instance;
}

void CCoordConv::Release() { Holder().reset(); }

CCoordConv::CCoordConv()
    : m_falseEasting(500000.0),                             // metres
      m_falseNorthing(10000000.0),                          // metres, applied to every northing
      m_k0(0.9996),                                         // central scale factor
      m_zoneWidth(0.10471975511965978),                     // 6 degrees in radians
      m_centralMeridianZone1(-3.0892327760299634),          // -177 degrees in radians
      m_a(6378137.0),                                       // GRS80 semi-major axis, metres
      m_f(0.003352810681182319),                            // 1 / 298.257222101
      m_e2(1.0 - 0.9966471893188177 * 0.9966471893188177),  // 1 - (1 - f)^2
      m_latOrigin(0.0) {
  const double e2 = m_e2;
  const double e4 = e2 * e2;
  const double e6 = e4 * e2;
  m_aA0 = m_a * (1.0 - e2 * 0.25 - e4 * 0.046875 - e6 * 0.01953125);
  m_aA2 = (e2 + e4 * 0.25 + e6 * 0.1171875) * 2391801.375;  // 3a/8
  m_aA4 = (e4 + e6 * 0.75) * 373718.96484375;               // 15a/256
  m_aA6 = e6 * 72667.57649739583;                           // 35a/3072
  m_m0 = m_aA0 * m_latOrigin - m_aA2 * std::sin(2.0 * m_latOrigin) + m_aA4 * std::sin(4.0 * m_latOrigin) -
         m_aA6 * std::sin(6.0 * m_latOrigin);
}

void CCoordConv::GridToGeo(int zone, double easting, double northing, double& latitude, double& longitude) const {
  GridToGeo(zone, easting, FootPoint(northing), latitude, longitude);
}

CCoordConv::FootPointTerms CCoordConv::FootPoint(double northing) const {
  const double m = (northing - m_falseNorthing) / m_k0;
  const double target = m + m_m0;

  // Foot-point latitude by Newton's method on the meridian distance series.
  double phi = target / m_aA0;
  for (int step = 0; step < kMaxFootPointSteps; ++step) {
    const double meridian =
        m_aA0 * phi - m_aA2 * std::sin(2.0 * phi) + m_aA4 * std::sin(4.0 * phi) - m_aA6 * std::sin(6.0 * phi);
    const double slope = m_aA0 - 2.0 * m_aA2 * std::cos(2.0 * phi) + 4.0 * m_aA4 * std::cos(4.0 * phi) -
                         6.0 * m_aA6 * std::cos(6.0 * phi);
    const double delta = (target - meridian) / slope;
    phi += delta;
    if (std::fabs(delta) < kFootPointTolerance) break;
  }

  FootPointTerms f;
  f.northing = northing;
  f.phi = phi;
  f.cosPhi = std::cos(phi);
  f.t = std::tan(phi);
  const double s = std::sin(phi);
  const double w = 1.0 - m_e2 * s * s;
  f.rho = m_a * (1.0 - m_e2) / std::pow(w, 1.5);
  f.nu = m_a / std::sqrt(w);
  f.psi = f.nu / f.rho;
  f.t2 = f.t * f.t, f.t4 = f.t2 * f.t2, f.t6 = f.t4 * f.t2;
  f.psi2 = f.psi * f.psi, f.psi3 = f.psi2 * f.psi, f.psi4 = f.psi3 * f.psi;
  return f;
}

void CCoordConv::GridToGeo(int zone, double easting, const FootPointTerms& f, double& latitude,
                           double& longitude) const {
  const double t = f.t, t2 = f.t2, t4 = f.t4, t6 = f.t6;
  const double psi = f.psi, psi2 = f.psi2, psi3 = f.psi3, psi4 = f.psi4;
  const double eDash = (easting - m_falseEasting) / m_k0;
  const double x = eDash / f.nu;
  const double x2 = x * x, x3 = x2 * x, x5 = x3 * x2, x7 = x5 * x2;

  const double latSeries =
      -x / 2.0 + (x3 / 24.0) * (9.0 * psi * (1.0 - t2) - 4.0 * psi2 + 12.0 * t2) -
      (x5 / 720.0) * (8.0 * psi4 * (11.0 - 24.0 * t2) - 12.0 * psi3 * (21.0 - 71.0 * t2) +
                      15.0 * psi2 * (15.0 - 98.0 * t2 + 15.0 * t4) + 180.0 * psi * (5.0 * t2 - 3.0 * t4) + 360.0 * t4) +
      (x7 / 40320.0) * (1385.0 + 3633.0 * t2 + 4095.0 * t4 + 1575.0 * t6);
  latitude = f.phi * kDegreesPerRadian + (t * eDash / f.rho) * kDegreesPerRadian * latSeries;

  const double lonSeries =
      x - (x3 / 6.0) * (psi + 2.0 * t2) +
      (x5 / 120.0) * (psi2 * (9.0 - 68.0 * t2) - 4.0 * psi3 * (1.0 - 6.0 * t2) + 72.0 * psi * t2 + 24.0 * t4) -
      (x7 / 5040.0) * (61.0 + 662.0 * t2 + 1320.0 * t4 + 720.0 * t6);
  const double centralMeridian = (zone - 1) * m_zoneWidth + m_centralMeridianZone1;
  longitude = lonSeries / f.cosPhi * kDegreesPerRadian + centralMeridian * kDegreesPerRadian;
}
