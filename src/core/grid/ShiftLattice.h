#pragma once
// A vertical-shift grid on a grid model's own lattice, for tools that interpolate such
// grids bilinearly between their nodes (PROJ's vgridshift, GDAL).
//
// Node (r, c) lies at latitude south + r * spacing and longitude west + c * spacing,
// row 0 at the south edge and column 0 at the west edge: exactly the model's lattice
// nodes (CGridInt). Its value is S_add - S_subtract in metres, the heights of two of
// the fourteen surfaces above the ellipsoid as the model decodes them (a surface given
// as CDataPt::kEllipsoid is the ellipsoid itself, height 0; CDataPt::kEllipsoidGda2020
// the GDA2020 ellipsoid, its height at the node's position), rounded to float.
//
// A node carries a value only where the model answers: it is stored and is a corner of
// at least one complete cell (all four corners stored), the cells the model
// interpolates from. Every other node is kNoData. Between four valued nodes, bilinear
// interpolation of these values equals the model's own interpolation of the two
// surfaces before the model codes its result to the code step.

#include <cstdint>

#include "core/grid/GridInt.h"

class CShiftLattice {
 public:
  // The no-data value of GTX files, used for GeoTIFF too.
  static constexpr float kNoData = -88.8888f;

  struct Geometry {
    std::int32_t columns = 0, rows = 0;
    double west = 0, south = 0;  // decimal degrees: the node of row 0, column 0
    double spacing = 0;          // decimal degrees, the same along both axes
  };

  // The height above the GDA94 ellipsoid, in metres, of a surface that has no code but
  // follows from the position alone, at a latitude and longitude in decimal degrees.
  using PositionHeight = double (*)(double latitude, double longitude);

  // `grid` must stay unchanged while this object is used. Surfaces are 0..13,
  // CDataPt::kEllipsoid or CDataPt::kEllipsoidGda2020, whose heights `gda2020` gives (a lattice
  // of that surface without it is not valid).
  CShiftLattice(const CGridInt& grid, int addSurface, int subtractSurface, PositionHeight gda2020 = nullptr);

  // False when the model holds no grid or its extents do not span at least one cell
  // (or span more nodes than 32-bit indices reach).
  bool IsValid() const { return m_valid; }
  const Geometry& GetGeometry() const { return m_geometry; }

  // The values of row `row` (0 = south) into `values` (GetGeometry().columns of them);
  // answers how many nodes carry a value.
  std::int64_t FillRow(std::int32_t row, float* values) const;

 private:
  float Value(const CDataPt& point, std::int32_t row, std::int32_t column) const;

  const CGridInt& m_grid;
  int m_add, m_subtract;
  PositionHeight m_gda2020;
  bool m_valid = false;
  Geometry m_geometry;
};
