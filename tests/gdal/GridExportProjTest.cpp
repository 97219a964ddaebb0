// Grids exported for PROJ, checked with PROJ itself: cct applies each exported file
// with the pipeline the export prints, at positions over the demo grid (every stored
// node, the midpoints of the cell edges beside them, positions a little off the lattice
// lines, random positions, and positions on and just outside the outer edge), and its
// heights are compared with Marevert's own. Skipped when cct is not installed.
//
// What PROJ can reproduce: bilinear interpolation between four valued nodes, which is
// Marevert's interpolation before it codes each interpolated surface to the code step
// (1 cm in the demo grid). So PROJ must agree within 0.5 mm with that value, and within
// the coding's half steps with the coded answer Marevert prints. Two kinds of position
// differ by design and are counted, not failed:
//  - Marevert answers, PROJ does not: the grid's extents end a hair beyond the last
//    lattice line (the header holds ten decimals) and Marevert snaps such positions to
//    that line; PROJ's grid ends at the line.
//  - PROJ answers, Marevert does not: in a cell with one to three valued corners PROJ
//    averages the valued corners with renormalised weights, where Marevert needs all
//    four. Those answers are checked to be exactly that average.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "core/grid/GridInt.h"
#include "core/grid/ShiftLattice.h"
#include "core/jobs/Messenger.h"
#include "core/trans/Gda2020Helmert.h"
#include "core/trans/ShiftGridDefinition.h"
#include "core/trans/TransBase.h"
#include "core/trans/TransFactory.h"
#include "gdal/GridExport.h"
#include "support/TestSupport.h"

namespace {

constexpr double kAgreement = 0.0005;  // metres
constexpr int kRandomPositions = 10000;
constexpr int kSampleStride = 8;

struct CPosition {
  double latitude, longitude, value;  // degrees, degrees, metres
};

// Marevert's answer at a position: outside, or the value carried from `from` to `to`
// both before and after the coding of the interpolated surfaces.
struct CMarevertAnswer {
  bool inside = false;
  bool snapped = false;  // answered by a cell beside the one the position lies in
  double uncoded = 0, coded = 0;
};

std::string DemoGridPath() { return MAREVERT_BIN_DIR "/Marevert_Demo_Synthetic_NotForNavigation.MRGGrid"; }

class GridExportProjTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    CRecordingMessenger messenger;
    CScopedMessenger scoped(&messenger);
    s_grid = new CGridInt;
    s_grid->LoadFile(DemoGridPath());
    s_every = new std::vector<CPosition>(MakePositions(*s_grid, 1));
    s_sample = new std::vector<CPosition>(MakePositions(*s_grid, kSampleStride));
  }
  static void TearDownTestSuite() {
    delete s_every;
    delete s_sample;
    delete s_grid;
  }
  void SetUp() override {
    if (std::system("command -v cct >/dev/null 2>&1") != 0) GTEST_SKIP() << "cct (proj-bin) not installed";
    ASSERT_TRUE(s_grid->IsLoaded());
  }
  void TearDown() override { CTransBase::s_sign = 1.0; }

  // The positions around every `nodeStride`-th stored node, the random ones and the
  // outer edge.
  static std::vector<CPosition> MakePositions(const CGridInt& grid, int nodeStride);
  // Exports, runs cct over the positions and compares; prints the tally.
  void Check(const CShiftGridDefinition& definition, const char* from, const char* to, double sign,
             CGridExport::Format format, const std::vector<CPosition>& positions);

  static CGridInt* s_grid;
  static std::vector<CPosition>* s_every;   // around every stored node
  static std::vector<CPosition>* s_sample;  // around a sample of them, for the other variants
  CClassicThreadLocale m_classic;           // cct's input and output are written and read with the C library
  CScratchDir m_dir;
};

CGridInt* GridExportProjTest::s_grid = nullptr;
std::vector<CPosition>* GridExportProjTest::s_every = nullptr;
std::vector<CPosition>* GridExportProjTest::s_sample = nullptr;

std::vector<CPosition> GridExportProjTest::MakePositions(const CGridInt& grid, int nodeStride) {
  const double g = grid.GetGridSize(), south = grid.GetMinLat(), west = grid.GetMinLon();
  const double north = grid.GetMaxLat(), east = grid.GetMaxLon();
  const double t = CGridInt::kOnLineTolerance;
  std::mt19937_64 random(20260308);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  // Values are whole millimetres so that both sides read the same number from the text.
  const auto value = [&random] {
    return static_cast<double>(std::uniform_int_distribution<int>(-30000, 30000)(random)) / 1000;
  };
  std::vector<CPosition> positions;
  long long stored = 0;
  for (std::size_t r = 0; r < grid.GetRowCount(); ++r) {
    for (const CGridInt::Node& node : grid.GetRow(r)) {
      if (stored++ % nodeStride != 0) continue;
      const double latitude = south + static_cast<double>(r) * g, longitude = west + node.column * g;
      positions.push_back({latitude, longitude, value()});          // the node
      positions.push_back({latitude, longitude + g / 2, value()});  // edge midpoints
      positions.push_back({latitude + g / 2, longitude, value()});
      positions.push_back({latitude + t / 2, longitude - t / 2, value()});  // within the on-line tolerance
      positions.push_back({latitude - t / 3, longitude + 3 * t, value()});
      positions.push_back({latitude + unit(random) * g, longitude + unit(random) * g, value()});  // in a cell
    }
  }
  for (int i = 0; i < kRandomPositions; ++i)
    positions.push_back({south + unit(random) * (north - south), west + unit(random) * (east - west), value()});
  // The outer edge at every lattice line and midpoint, on it and just outside.
  for (double k = 0; south + k * g / 2 <= north; ++k) {
    const double latitude = south + k * g / 2;
    for (const double longitude : {west, east, west - 1e-7, east + 1e-7, east + 1e-3})
      positions.push_back({latitude, longitude, value()});
  }
  for (double k = 0; west + k * g / 2 <= east; ++k) {
    const double longitude = west + k * g / 2;
    for (const double latitude : {south, north, south - 1e-7, north + 1e-7, south - 1e-3})
      positions.push_back({latitude, longitude, value()});
  }
  // Both sides read the positions from the same text.
  for (CPosition& p : positions) {
    char text[96];
    std::snprintf(text, sizeof text, "%.12f %.12f", p.latitude, p.longitude);
    std::sscanf(text, "%lf %lf", &p.latitude, &p.longitude);
  }
  return positions;
}

CMarevertAnswer Answer(const CGridInt& grid, const CPosition& p, const CTransBase& from, const CTransBase& to,
                       double sign) {
  CMarevertAnswer answer;
  CGridInt::Cell cell;
  if (!grid.LocateCell(p.latitude, p.longitude, cell)) return answer;
  answer.inside = true;
  const double g = grid.GetGridSize();
  answer.snapped = cell.row != static_cast<int>(std::floor((p.latitude - grid.GetMinLat()) / g)) ||
                   cell.column != static_cast<int>(std::floor((p.longitude - grid.GetMinLon()) / g));
  // The interpolation of one surface before coding, as the model computes it.
  const auto uncoded = [&](const CTransBase& ref) {
    const int k = ref.GetSurfaceRead();
    if (k == CDataPt::kEllipsoidGda2020) return CGda2020Helmert::EllipsoidHeight(p.latitude, p.longitude);
    if (k < 0) return 0.0;
    const auto v = [&](const CGridInt::Node& node) {
      return static_cast<double>(grid.DecodeValue(node.point.m_codes[k]));
    };
    return (cell.wSE * v(cell.southPair[1]) + cell.wSW * v(cell.southPair[0]) + cell.wNW * v(cell.northPair[0]) +
            cell.wNE * v(cell.northPair[1])) /
           cell.area;
  };
  answer.uncoded = p.value + sign * (uncoded(from) - uncoded(to));
  CDataPt point;
  grid.Interpolate(p.latitude, p.longitude, point);
  CTransBase::s_sign = sign;
  answer.coded =
      p.value + from.GetSeparation(point, p.latitude, p.longitude) - to.GetSeparation(point, p.latitude, p.longitude);
  return answer;
}

// cct over the positions ("longitude latitude value" lines): the third output value of
// each, or none where cct reports an error or gives no finite number.
std::vector<std::optional<double>> RunCct(const std::string& cct, const std::vector<CPosition>& positions,
                                          const CScratchDir& dir) {
  const std::string input = dir.File("positions.txt"), output = dir.File("cct.txt");
  {
    std::ofstream out(input);
    char line[128];
    for (const CPosition& p : positions) {
      std::snprintf(line, sizeof line, "%.12f %.12f %.3f\n", p.longitude, p.latitude, p.value);
      out << line;
    }
  }
  const std::string command = cct + " <'" + input + "' >'" + output + "' 2>/dev/null";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  std::vector<std::optional<double>> heights;
  std::ifstream in(output);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("# Record", 0) == 0) {  // an error report, continued on the next line
      heights.emplace_back();
      std::getline(in, line);
      continue;
    }
    double x = 0, y = 0, z = 0;
    if (std::sscanf(line.c_str(), "%lf %lf %lf", &x, &y, &z) != 3) continue;
    heights.push_back(std::isfinite(z) ? std::optional<double>(z) : std::nullopt);
  }
  return heights;
}

// PROJ's average over the valued corners of the cell holding a position, with weights
// renormalised over them: none when no corner has a value. Where the valued corners'
// weights nearly vanish (a position at a no-data node) the average is ill-conditioned:
// `conditioned` is false and any value is PROJ's.
std::optional<double> PartialCellValue(const std::vector<float>& values, const CShiftLattice::Geometry& lattice,
                                       const CPosition& p, bool& conditioned) {
  const double x = (p.longitude - lattice.west) / lattice.spacing, y = (p.latitude - lattice.south) / lattice.spacing;
  const int ix = static_cast<int>(std::floor(x)), iy = static_cast<int>(std::floor(y));
  if (ix < 0 || iy < 0 || ix >= lattice.columns || iy >= lattice.rows) return std::nullopt;
  const int ix2 = std::min(ix + 1, lattice.columns - 1), iy2 = std::min(iy + 1, lattice.rows - 1);
  const double fx = x - ix, fy = y - iy;
  const auto at = [&](int c, int r) { return values[static_cast<std::size_t>(r) * lattice.columns + c]; };
  const float corner[4] = {at(ix, iy), at(ix2, iy), at(ix, iy2), at(ix2, iy2)};
  const double weight[4] = {(1 - fx) * (1 - fy), fx * (1 - fy), (1 - fx) * fy, fx * fy};
  double sum = 0, total = 0;
  int valued = 0;
  for (int k = 0; k < 4; ++k) {
    if (corner[k] == CShiftLattice::kNoData) continue;
    sum += corner[k] * weight[k];
    total += weight[k];
    ++valued;
  }
  if (valued == 0) return std::nullopt;
  conditioned = total > 1e-3;
  return conditioned ? sum / total : 0.0;
}

void GridExportProjTest::Check(const CShiftGridDefinition& definition, const char* fromName, const char* toName,
                               double sign, CGridExport::Format format, const std::vector<CPosition>& positions) {
  const CTransBase& from = *CTransFactory::Instance().Find(fromName);
  const CTransBase& to = *CTransFactory::Instance().Find(toName);
  const std::string path = m_dir.File(format == CGridExport::Format::GeoTiff ? "shift.tif" : "shift.gtx");
  CRecordingMessenger messenger;
  {
    CScopedMessenger scoped(&messenger);
    CGridExport job(*s_grid, definition, path, format);
    job.Run();
    ASSERT_TRUE(job.OutputWritten());
  }
  EXPECT_TRUE(messenger.Entries().empty());

  // The lattice's own values, for the cells with missing corners.
  const CShiftLattice lattice(*s_grid, definition.GetAddSurface(), definition.GetSubtractSurface(),
                              &CGda2020Helmert::EllipsoidHeight);
  const CShiftLattice::Geometry& geometry = lattice.GetGeometry();
  std::vector<float> values(static_cast<std::size_t>(geometry.columns) * geometry.rows);
  for (int r = 0; r < geometry.rows; ++r)
    lattice.FillRow(r, values.data() + static_cast<std::size_t>(r) * geometry.columns);
  const double latticeNorth = geometry.south + (geometry.rows - 1) * geometry.spacing;
  const double latticeEast = geometry.west + (geometry.columns - 1) * geometry.spacing;

  const auto proj = RunCct(definition.GetCctCommand(path, 9).replace(0, 3, "cct"), positions, m_dir);
  ASSERT_EQ(proj.size(), positions.size());

  const int surfaces = (from.GetSurfaceRead() >= 0) + (to.GetSurfaceRead() >= 0);
  const double codingBound = surfaces * 0.5 / CDataPt::s_scale + kAgreement;
  long long both = 0, neither = 0, snappedBoth = 0, beyondLastLine = 0, onOuterLine = 0, partialOnly = 0, failures = 0;
  double worstUncoded = 0, worstCoded = 0;
  for (std::size_t i = 0; i < positions.size(); ++i) {
    const CPosition& p = positions[i];
    const CMarevertAnswer m = Answer(*s_grid, p, from, to, sign);
    const auto fail = [&](const char* what) {
      if (++failures <= 10)
        ADD_FAILURE() << what << " at " << p.latitude << ", " << p.longitude << ": Marevert "
                      << (m.inside ? std::to_string(m.uncoded) : "outside") << ", PROJ "
                      << (proj[i] ? std::to_string(*proj[i]) : "none");
    };
    if (m.inside && proj[i]) {
      ++both;
      snappedBoth += m.snapped;
      const double uncoded = std::fabs(*proj[i] - m.uncoded), coded = std::fabs(*proj[i] - m.coded);
      worstUncoded = std::max(worstUncoded, uncoded);
      worstCoded = std::max(worstCoded, coded);
      if (uncoded > kAgreement) fail("PROJ differs from Marevert's interpolation");
      if (coded > codingBound) fail("PROJ differs from Marevert's coded answer by more than the coding");
    } else if (m.inside) {
      // Only on or beyond the lattice's outer line: Marevert snaps positions up to the
      // grid's extents onto the line, PROJ's grid ends at it.
      if (p.latitude > latticeNorth || p.longitude > latticeEast)
        ++beyondLastLine;
      else if (p.latitude == latticeNorth || p.longitude == latticeEast || p.latitude == geometry.south ||
               p.longitude == geometry.west)
        ++onOuterLine;  // PROJ's radians may round it outside
      else
        fail("Marevert answers where PROJ does not");
    } else if (proj[i]) {
      bool conditioned = true;
      const std::optional<double> average = PartialCellValue(values, geometry, p, conditioned);
      if (average &&
          (!conditioned || std::fabs(*proj[i] - (p.value + definition.GetMultiplier() * *average)) <= kAgreement))
        ++partialOnly;
      else
        fail("PROJ answers where Marevert does not, and not from a cell with missing corners");
    } else {
      ++neither;
    }
  }
  std::printf(
      "%zu positions: both answer %lld (%lld of them from a neighbouring cell after snapping to a line), "
      "worst difference %.4f mm from Marevert's interpolation, %.4f mm from its coded answer; Marevert only: "
      "%lld beyond the lattice's last line within the extents, %lld on the outer line; PROJ only (cells with "
      "missing corners) %lld; neither %lld\n",
      positions.size(), both, snappedBoth, worstUncoded * 1000, worstCoded * 1000, beyondLastLine, onOuterLine,
      partialOnly, neither);
  EXPECT_EQ(failures, 0);
  EXPECT_GT(both, static_cast<long long>(positions.size() / 2));
}

TEST_F(GridExportProjTest, LatToAhdGeoTiffHeights) {
  const CTransFactory& factory = CTransFactory::Instance();
  Check(CShiftGridDefinition::Between(*factory.Find("LAT"), *factory.Find("AHD"), 1.0), "LAT", "AHD", 1.0,
        CGridExport::Format::GeoTiff, *s_every);
}

TEST_F(GridExportProjTest, MslToHatGtxDepths) {
  const CTransFactory& factory = CTransFactory::Instance();
  Check(CShiftGridDefinition::Between(*factory.Find("MSL"), *factory.Find("HAT"), -1.0), "MSL", "HAT", -1.0,
        CGridExport::Format::Gtx, *s_sample);
}

TEST_F(GridExportProjTest, SurfaceAhdGeoTiffHeights) {
  Check(CShiftGridDefinition::Surface(*CTransFactory::Instance().Find("AHD"), 1.0), "Ellipsoid (GDA94/WGS84)", "AHD",
        1.0, CGridExport::Format::GeoTiff, *s_sample);
}

TEST_F(GridExportProjTest, SurfaceLatGtxDepths) {
  Check(CShiftGridDefinition::Surface(*CTransFactory::Instance().Find("LAT"), -1.0), "Ellipsoid (GDA94/WGS84)", "LAT",
        -1.0, CGridExport::Format::Gtx, *s_sample);
}

TEST_F(GridExportProjTest, HatToEllipsoidGeoTiffHeights) {
  const CTransFactory& factory = CTransFactory::Instance();
  Check(CShiftGridDefinition::Between(*factory.Find("HAT"), *factory.Find("Ellipsoid (GDA94/WGS84)"), 1.0), "HAT",
        "Ellipsoid (GDA94/WGS84)", 1.0, CGridExport::Format::GeoTiff, *s_sample);
}

// The GDA2020 ellipsoid: LAT's height above it (a geoid-like grid for GDA2020 heights),
// and the offset between the two ellipsoids, which --surface gives for it.
TEST_F(GridExportProjTest, LatToGda2020GeoTiffHeights) {
  const CTransFactory& factory = CTransFactory::Instance();
  Check(CShiftGridDefinition::Between(*factory.Find("LAT"), *factory.Find("Ellipsoid (GDA2020)"), 1.0), "LAT",
        "Ellipsoid (GDA2020)", 1.0, CGridExport::Format::GeoTiff, *s_sample);
}

TEST_F(GridExportProjTest, SurfaceGda2020GtxDepths) {
  Check(CShiftGridDefinition::Surface(*CTransFactory::Instance().Find("Ellipsoid (GDA2020)"), -1.0),
        "Ellipsoid (GDA94/WGS84)", "Ellipsoid (GDA2020)", -1.0, CGridExport::Format::Gtx, *s_sample);
}

}  // namespace
