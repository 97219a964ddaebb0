#pragma once
// The change of an ellipsoidal height from GDA94 to GDA2020 at a position: how far the
// GDA2020 ellipsoid lies from the GDA94 one along the ellipsoid normal there. About
// -0.06 to -0.12 m over Australia and its waters (a point's GDA2020 ellipsoidal height
// is that much lower than its GDA94 one), from EPSG's similarity transformation; the
// Helmert and its accuracy are described in Gda2020Helmert.cpp.

class CGda2020Helmert {
 public:
  // h(GDA2020) - h(GDA94) in metres at `latitude`, `longitude` (decimal degrees): one
  // sine and cosine of each, no other work of note.
  static double HeightChange(double latitude, double longitude);

  // The GDA2020 ellipsoid's height above the GDA94 ellipsoid there, metres
  // (-HeightChange): the GDA2020 ellipsoid as a surface measured from the GDA94 one, as
  // every other reference surface is.
  static double EllipsoidHeight(double latitude, double longitude) { return -HeightChange(latitude, longitude); }
};
