#pragma once
// The listed vertical references. Fourteen of them are surfaces of the grid: their
// separation is the surface's height above the ellipsoid at the data point times the
// sign factor. The GDA94 ellipsoid itself is the fifteenth, with separation 0
// everywhere; the GDA2020 ellipsoid the sixteenth, whose separation follows from the
// position alone.
//
// Each reference is its own small class (so code and tests can name it), all sharing
// CTransSurface, which holds the surface index and the names.

#include "core/grid/DataPt.h"
#include "core/trans/TransBase.h"

// A reference whose surface is one of the fourteen surfaces of a data point.
class CTransSurface : public CTransBase {
 public:
  // The surface's decoded value (CDataPt::GetValue) times the sign factor. Final, so
  // that a caller holding the decoded value may use SeparationOf instead.
  using CTransBase::GetSeparation;
  double GetSeparation(const CDataPt& point, double latitude, double longitude, double sign) const final;
  static double SeparationOf(float surfaceValue) { return SeparationOf(surfaceValue, s_sign); }
  static double SeparationOf(float surfaceValue, double sign) { return static_cast<double>(surfaceValue) * sign; }
  std::string GetName() const override { return m_name; }
  std::string GetShortName() const override { return m_name; }
  int GetSurfaceRead() const override { return m_surface; }
  // Index of the surface in the data point (0 LAT ... 13 HAT).
  int GetSurface() const { return m_surface; }

 protected:
  // `name` is both the display name and the short name of every surface reference.
  CTransSurface(int surface, const char* name) : m_surface(surface), m_name(name) {}

 private:
  int m_surface;
  const char* m_name;
};

// Surface indices follow the data point's surface order.
class CTrans_HAT final : public CTransSurface {
 public:
  CTrans_HAT() : CTransSurface(13, "HAT") {}
};
class CTrans_MHHW final : public CTransSurface {
 public:
  CTrans_MHHW() : CTransSurface(11, "MHHW") {}
};
class CTrans_MHWS final : public CTransSurface {
 public:
  CTrans_MHWS() : CTransSurface(12, "MHWS") {}
};
class CTrans_MHW final : public CTransSurface {
 public:
  CTrans_MHW() : CTransSurface(10, "MHW") {}
};
class CTrans_MHWN final : public CTransSurface {
 public:
  CTrans_MHWN() : CTransSurface(9, "MHWN") {}
};
class CTrans_MLHW final : public CTransSurface {
 public:
  CTrans_MLHW() : CTransSurface(8, "MLHW") {}
};
class CTrans_MSL final : public CTransSurface {
 public:
  CTrans_MSL() : CTransSurface(7, "MSL") {}
};
class CTrans_AHD final : public CTransSurface {
 public:
  CTrans_AHD() : CTransSurface(6, "AHD") {}
};
class CTrans_MHLW final : public CTransSurface {
 public:
  CTrans_MHLW() : CTransSurface(4, "MHLW") {}
};
class CTrans_MLWN final : public CTransSurface {
 public:
  CTrans_MLWN() : CTransSurface(5, "MLWN") {}
};
class CTrans_MLW final : public CTransSurface {
 public:
  CTrans_MLW() : CTransSurface(3, "MLW") {}
};
class CTrans_MLLW final : public CTransSurface {
 public:
  CTrans_MLLW() : CTransSurface(1, "MLLW") {}
};
class CTrans_MLWS final : public CTransSurface {
 public:
  CTrans_MLWS() : CTransSurface(2, "MLWS") {}
};
class CTrans_LAT final : public CTransSurface {
 public:
  CTrans_LAT() : CTransSurface(0, "LAT") {}
};

// The GDA94 ellipsoid: the surface every other separation is measured from, so its own
// separation is 0 whatever the sign factor.
class CTrans_Ellipsoid_GDA94 final : public CTransBase {
 public:
  using CTransBase::GetSeparation;
  double GetSeparation(const CDataPt& point, double latitude, double longitude, double sign) const override;
  std::string GetName() const override { return "Ellipsoid (GDA94/WGS84)"; }
  std::string GetShortName() const override { return "Ellipsoid (GDA94)"; }
  int GetSurfaceRead() const override { return CDataPt::kEllipsoid; }
};

// The GDA2020 ellipsoid: the reference of today's GNSS heights (CORS, AUSPOS). It lies
// 6 to 12 cm above the GDA94 one around Australia, so its separation is that height at
// the position (EPSG:8048, CGda2020Helmert) times the sign factor. The short name is
// built as the GDA94 ellipsoid's is, so that output names say an ellipsoidal height.
class CTrans_Ellipsoid_GDA2020 final : public CTransBase {
 public:
  using CTransBase::GetSeparation;
  double GetSeparation(const CDataPt& point, double latitude, double longitude, double sign) const override;
  std::string GetName() const override { return "Ellipsoid (GDA2020)"; }
  std::string GetShortName() const override { return "Ellipsoid (GDA2020)"; }
  int GetSurfaceRead() const override { return CDataPt::kEllipsoidGda2020; }
};
