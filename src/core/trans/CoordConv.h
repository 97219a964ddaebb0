#pragma once
// Map-grid (MGA, GDA94 transverse Mercator in 6-degree zones) to latitude and
// longitude on the GRS80 ellipsoid, by Redfearn's series.

class CCoordConv {
 public:
  // The MGA zones of the Australian coast, 49 (west) to 56 (east): every zone a
  // position in eastings and northings may be given in.
  static constexpr int kFirstZone = 49, kLastZone = 56;
  static constexpr bool IsZone(int zone) { return zone >= kFirstZone && zone <= kLastZone; }

  static CCoordConv& Instance();
  static void Release();

  // Zone number, easting and northing in metres (southern hemisphere) to latitude and
  // longitude in decimal degrees. Never fails; the zone and range are not checked.
  void GridToGeo(int zone, double easting, double northing, double& latitude, double& longitude) const;

  // What GridToGeo works out from the northing alone (the foot-point latitude and the
  // radii there), which every point of one northing shares: a row of a raster.
  struct FootPointTerms {
    double northing, phi, cosPhi, t, t2, t4, t6, rho, nu, psi, psi2, psi3, psi4;
  };
  FootPointTerms FootPoint(double northing) const;
  // GridToGeo of (easting, footPoint.northing): the same result to the last bit.
  void GridToGeo(int zone, double easting, const FootPointTerms& footPoint, double& latitude, double& longitude) const;

  double GetSemiMajorAxis() const { return m_a; }

 private:
  CCoordConv();
  double m_falseEasting, m_falseNorthing, m_k0, m_zoneWidth, m_centralMeridianZone1;
  double m_a, m_f, m_e2, m_latOrigin, m_aA0, m_aA2, m_aA4, m_aA6, m_m0;
};
