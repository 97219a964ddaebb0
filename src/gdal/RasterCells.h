#pragma once
// Band 1's cells, from their stored form to metres and back, and the transformation of
// a run of cells of one window of the raster. Stored values are kept as they are
// wherever they are copied (the excluded raster holds the input's very bits).

#include <gdal.h>

#include <cstddef>
#include <cstdint>

#include "core/files/SeparationStats.h"
#include "core/grid/DataPt.h"
#include "gdal/RasterPositions.h"

class CFileBase;
class CGridInt;
class CTransBase;

// How band 1 stores a value: value = stored * scale + offset, in the band's data type;
// `noData` marks a cell without a value in the input and in both outputs (the band's
// own, or one chosen for a band without, see ChooseNoData).
struct CBandCoding {
  GDALDataType type = GDT_Float32;
  double scale = 1.0, offset = 0.0;
  double noData = 0.0;

  // Whether band 1 may be of `type`: the real types up to 32-bit integers and 64-bit
  // floating point (not complex, not 64-bit integers, whose values a double cannot
  // all hold).
  static bool IsSupported(GDALDataType type);
  // Whether `value` is a value of `type` exactly (NaN counts for the floating types).
  static bool Holds(GDALDataType type, double value);
  // The no-data value given to a band without one: NaN for floating point (no number
  // ever equals it), the lowest value of a signed integer type, the highest of an
  // unsigned one.
  static double ChooseNoData(GDALDataType type);
};

// The band-1 cells of one window of the raster, row by row, and its place.
struct CCellWindow {
  const void* input = nullptr;    // stored values read from the input
  void* transformed = nullptr;    // stored values for the transformed raster
  void* excluded = nullptr;       // stored values for the excluded raster
  long long column = 0, row = 0;  // the window's first cell in the raster
  std::size_t width = 0;          // cells per window row
  // Positions converted beforehand, cell by cell (CRasterPositions::Convert); null when
  // they come straight from the geotransform.
  const double* a = nullptr;
  const double* b = nullptr;
};

// What the cells are carried with: the handler's prepared per-point step and its
// arguments.
struct CCellTransform {
  const CFileBase* handler;
  const CGridInt* grid;
  const CTransBase* inRef;
  const CTransBase* outRef;
  const CRasterPositions* positions;
};

// What one thread keeps between the cells it transforms.
struct CCellScratch {
  CDataPt point;                                // the interpolated surfaces
  CRasterPositions::FootPointCache footPoint;  // the row's map-grid foot point
  CSeparationStats separation;                  // what the cells carried over were given
};

struct CCellCounts {
  std::uint64_t transformed = 0, excluded = 0;
};

// Transforms cells [first, first + count) of `window`. A no-data cell (and a NaN) is
// no-data in both outputs and counts in neither. Any other cell is carried over at its
// centre: its new value, rounded to the centimetre and stored in the band's type, goes
// to the transformed raster; a cell outside the grid, or whose new value the type
// cannot hold (out of range, or the no-data value itself), keeps its stored value in
// the excluded raster and counts as excluded. Integer types round to the nearest step.
// Threads may transform separate cells at once, each with its own scratch.
CCellCounts TransformCells(const CBandCoding& coding, const CCellWindow& window, std::size_t first, std::size_t count,
                           const CCellTransform& how, CCellScratch& scratch);
