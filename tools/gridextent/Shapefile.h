#pragma once
// A minimal writer of ESRI polygon shapefiles (.shp, .shx, .dbf, .prj) with one text
// attribute per record, enough for the grid extent folder shipped beside the program.

#include <string>
#include <vector>

struct ShapePoint {
  double x;  // longitude, decimal degrees
  double y;  // latitude, decimal degrees
};

// One polygon record: its rings (outer rings clockwise, each closed: first == last)
// and the value of its NAME attribute.
struct ShapePolygon {
  std::vector<std::vector<ShapePoint>> rings;
  std::string name;
};

// Writes base + ".shp", ".shx", ".dbf" and ".prj" (the given WKT). False with a message
// on standard error when a file cannot be written.
bool WritePolygonShapefile(const std::string& base, const std::vector<ShapePolygon>& polygons,
                           const std::string& projectionWkt);
