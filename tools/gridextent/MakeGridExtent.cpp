// Writes the "GridExtent" folder shipped beside the program: a polygon shapefile in
// GDA94 geographic coordinates with two records, "Grid extent" (the rectangle of the
// grid header) and "Grid data coverage" (the cells around the nodes that carry data).
//
//   make_grid_extent GRID_FILE OUTPUT_FOLDER
//   make_grid_extent --extent MIN_LAT MAX_LAT MIN_LON MAX_LON OUTPUT_FOLDER
//
// The grid file is read directly in its binary layout (core/grid/GridFileHeader.h): the
// header, then one block per row (point count, then records starting with the column).
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "Shapefile.h"
#include "core/grid/GridFileHeader.h"

namespace {

const char* const kBaseName = "Marevert_demo_grid_extent";
const char* const kGda94Wkt =
    "GEOGCS[\"GCS_GDA_1994\",DATUM[\"D_GDA_1994\",SPHEROID[\"GRS_1980\",6378137.0,298.257222101]],"
    "PRIMEM[\"Greenwich\",0.0],UNIT[\"Degree\",0.0174532925199433]]";
constexpr std::size_t kHeaderBytes = CGridFileHeader::kSize;
constexpr std::size_t kPointBytes = CGridFileHeader::kRecordSize;

struct Grid {
  double gridSize = 0, minLat = 0, maxLat = 0, minLon = 0, maxLon = 0;
  std::vector<std::vector<std::int32_t>> columns;  // per row, ascending
};

bool ReadGrid(const std::string& path, Grid& grid) {
  std::ifstream file(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (bytes.size() < kHeaderBytes || !CGridFileHeader::HasMagic(bytes.data()) ||
      CGridFileHeader::FormatOf(bytes.data()) != CGridFileHeader::kCurrentFormat) {
    std::fprintf(stderr, "%s is not a grid file\n", path.c_str());
    return false;
  }
  const CGridFileHeader header = CGridFileHeader::Read(bytes.data());
  grid.gridSize = header.gridSize;
  grid.minLat = header.minLat;
  grid.maxLat = header.maxLat;
  grid.minLon = header.minLon;
  grid.maxLon = header.maxLon;
  const std::int32_t rows = header.rowCount;
  std::size_t at = kHeaderBytes;
  for (std::int32_t r = 0; r < rows; ++r) {
    if (bytes.size() - at < CGridFileHeader::kPointCountSize)
      return std::fprintf(stderr, "%s ends early\n", path.c_str()), false;
    const auto count = ReadLittleEndian<std::int32_t>(bytes.data() + at);
    at += CGridFileHeader::kPointCountSize;
    if (count < 0 || static_cast<std::size_t>(count) > (bytes.size() - at) / kPointBytes)
      return std::fprintf(stderr, "%s: bad point count in row %d\n", path.c_str(), r), false;
    std::vector<std::int32_t> row;
    for (std::int32_t i = 0; i < count; ++i, at += kPointBytes)
      row.push_back(ReadLittleEndian<std::int32_t>(bytes.data() + at));
    std::sort(row.begin(), row.end());
    grid.columns.push_back(std::move(row));
  }
  return true;
}

// A rectangle in clockwise order, closed.
std::vector<ShapePoint> Rectangle(double west, double south, double east, double north) {
  return {{west, south}, {west, north}, {east, north}, {east, south}, {west, south}};
}

// Runs of consecutive columns per row, merged with identical runs of the rows above, give
// rectangles of cells of one grid size centred on the nodes.
ShapePolygon Coverage(const Grid& grid) {
  ShapePolygon polygon;
  polygon.name = "Grid data coverage";
  const double g = grid.gridSize;
  std::map<std::pair<std::int32_t, std::int32_t>, std::size_t> open;  // run -> first row
  auto close = [&](std::pair<std::int32_t, std::int32_t> run, std::size_t first, std::size_t last) {
    polygon.rings.push_back(Rectangle(grid.minLon + (run.first - 0.5) * g, grid.minLat + (first - 0.5) * g,
                                      grid.minLon + (run.second + 0.5) * g, grid.minLat + (last + 0.5) * g));
  };
  for (std::size_t r = 0; r <= grid.columns.size(); ++r) {
    std::map<std::pair<std::int32_t, std::int32_t>, std::size_t> next;
    if (r < grid.columns.size()) {
      const auto& row = grid.columns[r];
      for (std::size_t i = 0; i < row.size();) {
        std::size_t j = i;
        while (j + 1 < row.size() && row[j + 1] <= row[j] + 1) ++j;
        const std::pair<std::int32_t, std::int32_t> run(row[i], row[j]);
        const auto it = open.find(run);
        next[run] = it != open.end() ? it->second : r;
        if (it != open.end()) open.erase(it);
        i = j + 1;
      }
    }
    for (const auto& [run, first] : open) close(run, first, r - 1);
    open = std::move(next);
  }
  return polygon;
}

}  // namespace

int main(int argc, char** argv) {
  Grid grid;
  std::string output;
  if (argc == 7 && std::strcmp(argv[1], "--extent") == 0) {
    grid.minLat = std::atof(argv[2]);
    grid.maxLat = std::atof(argv[3]);
    grid.minLon = std::atof(argv[4]);
    grid.maxLon = std::atof(argv[5]);
    output = argv[6];
  } else if (argc == 3) {
    if (!ReadGrid(argv[1], grid)) return 1;
    output = argv[2];
  } else {
    std::fprintf(stderr,
                 "usage: make_grid_extent GRID_FILE OUTPUT_FOLDER\n"
                 "       make_grid_extent --extent MIN_LAT MAX_LAT MIN_LON MAX_LON OUTPUT_FOLDER\n");
    return 2;
  }
  if (!(grid.minLat < grid.maxLat && grid.minLon < grid.maxLon)) {
    std::fprintf(stderr, "empty extent\n");
    return 1;
  }

  std::vector<ShapePolygon> polygons;
  ShapePolygon extent;
  extent.name = "Grid extent";
  extent.rings.push_back(Rectangle(grid.minLon, grid.minLat, grid.maxLon, grid.maxLat));
  polygons.push_back(std::move(extent));
  if (!grid.columns.empty()) {
    ShapePolygon coverage = Coverage(grid);
    if (!coverage.rings.empty()) polygons.push_back(std::move(coverage));
  }

  std::error_code error;
  std::filesystem::create_directories(output, error);
  const std::string base = (std::filesystem::path(output) / kBaseName).string();
  if (!WritePolygonShapefile(base, polygons, kGda94Wkt)) return 1;
  std::printf("wrote %s.shp with %zu records\n", base.c_str(), polygons.size());
  return 0;
}
