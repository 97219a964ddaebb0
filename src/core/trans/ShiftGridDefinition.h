#pragma once
// What a vertical-shift grid for PROJ's vgridshift holds, and how PROJ is to apply it
// so that it carries values between two references as Marevert does.
//
// vgridshift adds multiplier * (interpolated grid value) to the third coordinate.
// Marevert carries a value from A to B as value + sign * (S_A - S_B), S being a
// surface's height above the ellipsoid and sign +1 for heights (positive up), -1 for
// depths (positive down). Grids follow PROJ's conventions for what they store:
//
// | references              | node value | PROJ grid type (band description)         | multiplier |
// |-------------------------|------------|-------------------------------------------|------------|
// | A to B, neither of them |  S_A - S_B | VERTICAL_OFFSET_VERTICAL_TO_VERTICAL      | +sign      |
// | the ellipsoid           |            | ("vertical_offset")                       |            |
// | ellipsoid to R          |  S_R       | VERTICAL_OFFSET_GEOGRAPHIC_TO_VERTICAL    | -sign      |
// | R to ellipsoid          |  S_R       | ("geoid_undulation")                      | +sign      |
//
// So the stored values never depend on the sign convention; only the multiplier does.
//
// "The ellipsoid" is either of the two: S_R is the height of R above the ellipsoid named
// (the GDA2020 ellipsoid's S being its height above the GDA94 one), so a grid of R for
// the GDA2020 ellipsoid holds R's height above that ellipsoid, as AUSGeoid2020 holds the
// geoid's. The two ellipsoids between themselves are an offset like any other pair. A
// grid that involves the GDA2020 ellipsoid is given in GDA2020 coordinates (EPSG:7844),
// every other one in GDA94 coordinates (EPSG:4283): 1.5 m apart, which moves no value
// of the grid.

#include <string>

#include "core/grid/DataPt.h"

class CTransBase;

class CShiftGridDefinition {
 public:
  enum class Kind { VerticalToVertical, GeographicToVertical };

  // Carrying values from `from` to `to`, listed references of CTransFactory; `sign` as
  // CTransBase::s_sign (+1 heights, -1 depths).
  static CShiftGridDefinition Between(const CTransBase& from, const CTransBase& to, double sign);
  // The height of `surface` (not the ellipsoid) above the ellipsoid: a geoid-like model
  // that carries values from the ellipsoid to that surface.
  static CShiftGridDefinition Surface(const CTransBase& surface, double sign);

  // Node value = S_add - S_subtract (CShiftLattice: -1 is the GDA94 ellipsoid,
  // CDataPt::kEllipsoidGda2020 the GDA2020 one).
  int GetAddSurface() const { return m_add; }
  int GetSubtractSurface() const { return m_subtract; }
  Kind GetKind() const { return m_kind; }
  double GetMultiplier() const { return m_multiplier; }
  bool DepthsPositive() const { return m_depths; }
  const std::string& GetFromName() const { return m_from; }
  const std::string& GetToName() const { return m_to; }
  // The one surface of a geographic-to-vertical grid; "" for an offset between two.
  const std::string& GetSurfaceName() const { return m_surface; }
  // Whether the GDA2020 ellipsoid is one of the two references.
  bool InvolvesGda2020() const {
    return m_add == CDataPt::kEllipsoidGda2020 || m_subtract == CDataPt::kEllipsoidGda2020;
  }
  // The EPSG code of the geographic CRS the grid's nodes are given in: 7844 (GDA2020)
  // when it involves the GDA2020 ellipsoid, else 4283 (GDA94).
  int GetGeographicEpsg() const { return InvolvesGda2020() ? 7844 : 4283; }

  // PROJ's TYPE metadata item and its sample description.
  std::string GetTypeName() const;
  std::string GetSampleDescription() const;
  // What the values are, in a sentence ("Offset from LAT to AHD in metres: ...").
  std::string GetMeaning() const;
  // "from LAT heights to AHD heights" (or depths).
  std::string GetDirection() const;
  // "+proj=vgridshift +grids=PATH +multiplier=1" for a grid written to `gridPath`.
  std::string GetPipeline(const std::string& gridPath) const;
  // The cct command that applies the pipeline to "longitude latitude value" lines,
  // quoted for a POSIX shell, printing `decimals` decimals.
  std::string GetCctCommand(const std::string& gridPath, int decimals) const;

 private:
  CShiftGridDefinition() = default;

  int m_add = -1, m_subtract = -1;
  Kind m_kind = Kind::VerticalToVertical;
  double m_multiplier = 1;
  bool m_depths = false;
  std::string m_from, m_to;
  std::string m_surface;  // of a geographic-to-vertical grid
};

// `text` as one word of a POSIX shell command line: as it is when it holds only
// characters that need no quoting, else in single quotes.
std::string ShellQuote(const std::string& text);
