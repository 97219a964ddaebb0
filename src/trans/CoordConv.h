#pragma once
// Map-grid (MGA, GDA94 transverse Mercator in 6-degree zones) to latitude and
// longitude on the GRS80 ellipsoid, by Redfearn's series.

class CCoordConv {
 public:
  static CCoordConv& Instance();
  static void Release();

  // Zone number, easting and northing in metres (southern hemisphere) to latitude and
  // longitude in decimal degrees. Never fails; the zone and range are not checked.
  void GridToGeo(int zone, double easting, double northing, double& latitude, double& longitude) const;

  double GetSemiMajorAxis() const { return m_a; }

 private:
  CCoordConv();
  double m_falseEasting, m_falseNorthing, m_k0, m_zoneWidth, m_centralMeridianZone1;
  double m_a, m_f, m_e2, m_latOrigin, m_aA0, m_aA2, m_aA4, m_aA6, m_m0;
};
