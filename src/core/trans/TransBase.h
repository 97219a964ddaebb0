#pragma once
// Vertical references. Each answers how far its surface lies above the GDA94
// ellipsoid at an interpolated data point, multiplied by the class-wide sign factor.
// A value is carried from reference A to B as value + sep_A - sep_B.
//
// The grid's surfaces read the data point; the GDA2020 ellipsoid reads the position the
// point was interpolated at (its height above the GDA94 ellipsoid depends on nothing
// else), so every caller hands over both.

#include <string>

#include "core/grid/DataPt.h"

class CTransBase {
 public:
  virtual ~CTransBase() = default;
  // Height of this surface above the GDA94 ellipsoid, metres, times s_sign, at `point`
  // interpolated at `latitude`, `longitude` (decimal degrees).
  double GetSeparation(const CDataPt& point, double latitude, double longitude) const {
    return GetSeparation(point, latitude, longitude, s_sign);
  }
  // The same times `sign` (+1.0 or -1.0, as s_sign) instead of the class-wide factor,
  // for callers that pass the sign convention with each call.
  virtual double GetSeparation(const CDataPt& point, double latitude, double longitude, double sign) const = 0;
  // Display name: what lists show and what CTransFactory::Find matches.
  virtual std::string GetName() const = 0;
  // Used where the name becomes part of an output file name.
  virtual std::string GetShortName() const = 0;

  // Which surface of a data point GetSeparation reads: 0..13, CDataPt::kEllipsoid when
  // it reads none (the GDA94 ellipsoid, and the block shift's two references),
  // kAllSurfaces when the reference does not say (callers then provide all fourteen),
  // CDataPt::kEllipsoidGda2020 for the GDA2020 ellipsoid (which reads no surface either,
  // but the position). Lets a caller interpolate only what the separation needs, and
  // name the surface to tools that compute it themselves (the export for PROJ, the map).
  static constexpr int kAllSurfaces = -2;
  // CDataPt::kEllipsoid under the name the map's layers use.
  static constexpr int kNoSurface = CDataPt::kEllipsoid;
  virtual int GetSurfaceRead() const { return kAllSurfaces; }

  // +1.0 "Depths negative/Heights positive", -1.0 "Depths positive/Heights negative".
  static double s_sign;
};

// Input reference of block-shift mode: no surface.
class CTrans_NULL : public CTransBase {
 public:
  using CTransBase::GetSeparation;
  double GetSeparation(const CDataPt& point, double latitude, double longitude, double sign) const override;
  std::string GetName() const override;       // "NULL"
  std::string GetShortName() const override;  // "NULL"
  int GetSurfaceRead() const override { return CDataPt::kEllipsoid; }
};

// Output reference of block-shift mode: every value changes by shift times the sign factor.
class CTrans_BlockShift : public CTransBase {
 public:
  explicit CTrans_BlockShift(double shift) : m_shift(shift) {}
  using CTransBase::GetSeparation;
  // -(shift * sign)
  double GetSeparation(const CDataPt& point, double latitude, double longitude, double sign) const override;
  std::string GetName() const override;       // "Block Shift"
  std::string GetShortName() const override;  // "Block Shift_%.2fm"
  int GetSurfaceRead() const override { return CDataPt::kEllipsoid; }
  double GetShift() const { return m_shift; }

 private:
  double m_shift;  // metres
};
