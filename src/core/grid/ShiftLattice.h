#pragma once
// A vertical-shift grid on a grid model's own lattice, for tools that interpolate such
// grids bilinearly between their nodes (PROJ's vgridshift, GDAL).
//
// Node (r, c) lies at latitude south + r * spacing and longitude west + c * spacing,
// row 0 at the south edge and column 0 at the west edge: exactly the model's lattice
// nodes (CGridInt). Its value is S_add - S_subtract in metres, the heights of two of
// the fourteen surfaces above the ellipsoid as the model decodes them (a surface given
// as CDataPt::kEllipsoid is the ellipsoid itself, height 0), rounded to float.
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

  // `grid` must stay unchanged while this object is used. Surfaces are 0..13 or
  // CDataPt::kEllipsoid.
  CShiftLattice(const CGridInt& grid, int addSurface, int subtractSurface);

  // False when the model holds no grid or its extents do not span at least one cell
  // (or span more nodes than 32-bit indices reach).
  bool IsValid() const { return m_valid; }
  const Geometry& GetGeometry() const { return m_geometry; }

  // The values of row `row` (0 = south) into `values` (GetGeometry().columns of them);
  // answers how many nodes carry a value.
  std::int64_t FillRow(std::int32_t row, float* values) const;

 private:
  float Value(const CDataPt& point) const;

  const CGridInt& m_grid;
  int m_add, m_subtract;
  bool m_valid = false;
  Geometry m_geometry;
};
