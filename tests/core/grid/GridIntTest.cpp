#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdio>
#include <limits>
#include <map>
#include <random>
#include <tuple>
#include <utility>
#include <vector>

#include "core/grid/GridInt.h"
#include "core/jobs/Messenger.h"
#include "support/ClassWideValues.h"
#include "support/TestSupport.h"

namespace {

constexpr double kT = CGridInt::kOnLineTolerance;  // degrees

// A data point whose fourteen codes are all `code`.
CDataPt Flat(std::uint16_t code) {
  CDataPt p;
  p.m_codes.fill(code);
  return p;
}

class GridIntTest : public ::testing::Test {
 protected:
  const CClassWideValues m_classWide{0.0f, 100.0f};  // put back after the test
  // A rows x columns lattice at spacing g from (-30, 150); `present` says which nodes
  // exist, and node codes are `code(r, c)`.
  template <typename Present, typename Code>
  void Build(int rows, int columns, double g, Present present, Code code) {
    CGridInt::Header h;
    h.gridSize = g;
    h.minLat = -30;
    h.maxLat = -30 + (rows - 1) * g;
    h.minLon = 150;
    h.maxLon = 150 + (columns - 1) * g;
    h.year = 2024, h.month = 1, h.day = 15;
    m_grid.SetHeader(h);
    m_grid.SetRowCount(rows);
    for (int r = 0; r < rows; ++r)
      for (int c = 0; c < columns; ++c)
        if (present(r, c)) m_grid.SetNode(r, c, Flat(code(r, c)));
  }
  void BuildFull(int rows, int columns, double g = 0.25) {
    Build(
        rows, columns, g, [](int, int) { return true; }, [](int r, int c) { return 1000 + 100 * r + 10 * c; });
  }
  // The interpolated code of surface 0, or -1 when outside.
  int At(double lat, double lon) {
    CDataPt p = Flat(7);
    if (!m_grid.Interpolate(lat, lon, p)) {
      EXPECT_EQ(p.m_codes, Flat(7).m_codes);  // unchanged when outside
      return -1;
    }
    return p.m_codes[0];
  }

  CGridInt m_grid;
};

TEST_F(GridIntTest, ResultDoesNotDependOnWhenTheCodingValuesWereSet) {
  // Decoding follows the coding values in force when interpolating, not those in force
  // when the model was made: both models must give the same codes.
  const auto build = [](CGridInt& grid) {
    CGridInt::Header h;
    h.gridSize = 1.0 / 60, h.minLat = -30, h.maxLat = -30 + 9.0 / 60, h.minLon = 150, h.maxLon = 150 + 9.0 / 60;
    grid.SetHeader(h);
    grid.SetRowCount(10);
    for (int r = 0; r < 10; ++r)
      for (int c = 0; c < 10; ++c) {
        CDataPt p;
        for (int k = 0; k < 14; ++k)
          p.m_codes[k] = static_cast<std::uint16_t>((r * 7919 + c * 104729 + k * 611) % 65536);
        grid.SetNode(r, c, p);
      }
  };
  CDataPt::s_offset = 12.5f, CDataPt::s_scale = 3.0f;
  CGridInt decoding;
  build(decoding);
  CDataPt::s_offset = -50.0f, CDataPt::s_scale = 100.0f;
  build(m_grid);
  // Surface 12 here ends up just at a rounding edge: with the decoded corner values
  // left unrounded (a compiler fault once seen) the code came out as 35145.
  for (const CGridInt* grid : {&m_grid, &decoding}) {
    CDataPt pinned;
    ASSERT_TRUE(grid->Interpolate(-29.858207095414709, 150.10795403184483, pinned));
    EXPECT_EQ(pinned.m_codes[12], 35146);
  }
  std::mt19937 random(3);
  std::uniform_real_distribution<double> unit(0.0, 9.0 / 60);
  for (int i = 0; i < 20000; ++i) {
    const double lat = -30 + unit(random), lon = 150 + unit(random);
    CDataPt a, b;
    ASSERT_TRUE(m_grid.Interpolate(lat, lon, a));
    ASSERT_TRUE(decoding.Interpolate(lat, lon, b));
    ASSERT_EQ(a.m_codes, b.m_codes) << lat << " " << lon;
  }
}

TEST_F(GridIntTest, MatchesThePlainComputationBitForBit) {
  // Interpolation decodes and combines all surfaces at once; each result must still be
  // exactly what decoding corner by corner with GetValue, weighting in double and coding
  // again gives, under several coding values and with codes over the whole range, both
  // for a model made under the coding values in force and for one made under others.
  constexpr int kSize = 8;
  const double g = 1.0 / 60;
  std::mt19937 random(11);
  std::uniform_real_distribution<double> unit(0.0, (kSize - 1) * g);
  for (auto [offset, scale, madeUnderOthers] : {std::tuple{0.0f, 100.0f, false},
                                                {-50.0f, 100.0f, false},
                                                {12.5f, 3.0f, false},
                                                {-100.0f, 1000.0f, false},
                                                {-50.0f, 100.0f, true},
                                                {12.5f, 3.0f, true}}) {
    CDataPt::s_offset = madeUnderOthers ? 1.0f : offset, CDataPt::s_scale = madeUnderOthers ? 7.0f : scale;
    Build(
        kSize, kSize, g, [](int, int) { return true; }, [](int, int) { return 0; });
    for (int r = 0; r < kSize; ++r)
      for (int c = 0; c < kSize; ++c) {
        CDataPt p;
        for (auto& code : p.m_codes) code = static_cast<std::uint16_t>(random());
        m_grid.SetNode(r, c, p);
      }
    CDataPt::s_offset = offset, CDataPt::s_scale = scale;
    for (int i = 0; i < 5000; ++i) {
      const double lat = -30 + unit(random), lon = 150 + unit(random);
      const double rho = (lat + 30) / g, gamma = (lon - 150) / g;
      const int r = static_cast<int>(rho), c = static_cast<int>(gamma);
      if ((rho - r) * g < 2 * kT || (r + 1 - rho) * g < 2 * kT || (gamma - c) * g < 2 * kT ||
          (c + 1 - gamma) * g < 2 * kT)
        continue;  // snapping is covered above; here the nominal cell answers
      const double south = r * g - 30, west = c * g + 150, north = south + g, east = west + g;
      const double wSW = (north - lat) * (east - lon), wSE = (north - lat) * (lon - west);
      const double wNW = (lat - south) * (east - lon), wNE = (lat - south) * (lon - west);
      const CDataPt *sw = m_grid.GetNode(r, c), *se = m_grid.GetNode(r, c + 1);
      const CDataPt *nw = m_grid.GetNode(r + 1, c), *ne = m_grid.GetNode(r + 1, c + 1);
      std::array<double, 14> values;
      for (int k = 0; k < 14; ++k)
        values[k] = static_cast<float>(
            (wSE * se->GetValue(k) + wSW * sw->GetValue(k) + wNW * nw->GetValue(k) + wNE * ne->GetValue(k)) / (g * g));
      CDataPt result;
      ASSERT_TRUE(m_grid.Interpolate(lat, lon, result));
      ASSERT_EQ(result.m_codes, CDataPt(values).m_codes) << offset << " " << scale << " " << lat << " " << lon;
    }
  }
}

TEST_F(GridIntTest, InterpolatingInTwoStepsGivesTheSameCodes) {
  // A lattice with holes, so that snapped positions fall back to neighbouring cells and
  // some positions are outside; positions on, near and between the lattice lines.
  const double g = 1.0 / 60;
  std::mt19937 random(5);
  CDataPt::s_offset = -50.0f, CDataPt::s_scale = 100.0f;
  Build(
      12, 12, g, [&](int, int) { return random() % 7 != 0; }, [](int, int) { return 0; });
  for (int r = 0; r < 12; ++r)
    for (int c = 0; c < 12; ++c)
      if (m_grid.GetNode(r, c)) {
        CDataPt p;
        for (auto& code : p.m_codes) code = static_cast<std::uint16_t>(random());
        m_grid.SetNode(r, c, p);
      }
  std::uniform_int_distribution<int> line(0, 11), surface(0, 13), offLine(-3, 3);
  std::uniform_real_distribution<double> unit(-0.1 * g, 11.1 * g), step(-0.2 * g, 0.2 * g);
  // Cells located before serve as hints, some of them left from a position outside; in
  // every fourth step the position moves only a little, usually staying in its cell.
  CGridInt::Cell cells[3];
  const CGridInt::Cell* hint = nullptr;
  double lat = -30, lon = 150;
  int inside = 0;
  for (int i = 0; i < 30000; ++i) {
    if (i % 4 == 3) {
      lat += step(random), lon += step(random);
    } else {
      lat = -30 + unit(random), lon = 150 + unit(random);
      if (i % 2) lat = -30 + line(random) * g + offLine(random) * kT / 2;
      if (i % 3 == 0) lon = 150 + line(random) * g + offLine(random) * kT / 2;
    }
    const int chosen[] = {surface(random), surface(random), -1, 14};
    CDataPt full = Flat(7), part = Flat(9), whole = Flat(9);
    const bool answered = m_grid.Interpolate(lat, lon, full);
    CGridInt::Cell& cell = cells[i % 3];
    ASSERT_EQ(m_grid.LocateCell(lat, lon, cell, hint), answered) << lat << " " << lon;
    if (answered) {
      hint = &cell;
      m_grid.InterpolateCell(cell, chosen, 4, part);
      m_grid.InterpolateCell(cell, whole);
      ASSERT_EQ(whole.m_codes, full.m_codes) << lat << " " << lon;
    }
    inside += answered;
    for (int k = 0; k < 14; ++k) {
      const bool wanted = answered && (k == chosen[0] || k == chosen[1]);
      ASSERT_EQ(part.m_codes[k], wanted ? full.m_codes[k] : 9) << lat << " " << lon << " surface " << k;
    }
  }
  EXPECT_GT(inside, 5000);
  EXPECT_LT(inside, 19000);
}

TEST_F(GridIntTest, NodeLookupMatchesAReferenceMapForEveryWayOfFilling) {
  // Rows of many runs, filled node by node in random order, in bulk and sorted, and in
  // bulk but not yet sorted; every column in and around the row is looked up.
  std::mt19937 random(7);
  for (int trial = 0; trial < 60; ++trial) {
    std::map<int, std::uint16_t> reference;
    std::vector<std::pair<int, std::uint16_t>> records;
    const int span = 1 + static_cast<int>(random() % 300);
    for (int n = static_cast<int>(random() % 200); n > 0; --n) {
      const int column = static_cast<int>(random() % span) - 20;
      const auto code = static_cast<std::uint16_t>(random());
      records.emplace_back(column, code);
      reference[column] = code;  // a later record replaces an earlier one
    }
    const int way = trial % 3;
    m_grid.SetRowCount(1);
    if (way == 0) {
      for (auto [column, code] : records) m_grid.SetNode(0, column, Flat(code));
    } else {
      CGridInt::Row& row = m_grid.MutableRow(0);
      if (way == 2) records.assign(reference.begin(), reference.end());  // unsorted rows are never searched
      for (auto [column, code] : records) row.push_back({column, Flat(code)});
      if (way == 1) m_grid.SortRow(0);
    }
    ASSERT_EQ(m_grid.GetRow(0).size(), reference.size());
    EXPECT_EQ(m_grid.GetNode(-1, 0), nullptr);
    EXPECT_EQ(m_grid.GetNode(1, 0), nullptr);
    for (int column = -25; column < span; ++column) {
      const CDataPt* node = m_grid.GetNode(0, column);
      const auto it = reference.find(column);
      ASSERT_EQ(node != nullptr, it != reference.end()) << "trial " << trial << " column " << column;
      if (node) {
        ASSERT_EQ(node->m_codes[0], it->second);
      }
    }
  }
}

TEST_F(GridIntTest, CompleteCellsAreFoundInSpansWhicheverWayTheRowsWereFilled) {
  // Two rows with random gaps, filled node by node or in bulk (not yet indexed); every
  // range of columns in and around them.
  std::mt19937 random(13);
  std::vector<CGridInt::CellSpan> spans;
  for (int trial = 0; trial < 200; ++trial) {
    m_grid.SetRowCount(2);
    for (int r = 0; r < 2; ++r)
      for (int c = -3; c < 40; ++c)
        if (random() % 4 != 0) {
          if (trial % 2)
            m_grid.MutableRow(static_cast<std::size_t>(r))
                .push_back({c, Flat(static_cast<std::uint16_t>(r * 100 + c + 3))});
          else
            m_grid.SetNode(r, c, Flat(static_cast<std::uint16_t>(r * 100 + c + 3)));
        }
    const int first = static_cast<int>(random() % 30) - 6, last = first + static_cast<int>(random() % 40) - 2;
    std::vector<int> expected, found;
    for (int c = first; c <= last; ++c)
      if (m_grid.GetNode(0, c) && m_grid.GetNode(0, c + 1) && m_grid.GetNode(1, c) && m_grid.GetNode(1, c + 1))
        expected.push_back(c);
    m_grid.FindCompleteCells(0, first, last, spans);
    for (std::size_t i = 0; i < spans.size(); ++i) {
      const CGridInt::CellSpan& span = spans[i];
      ASSERT_LE(span.first, span.last);
      if (i > 0) {
        ASSERT_GT(span.first, spans[i - 1].last + 1) << "spans are as long as they go";
      }
      for (int c = span.first; c <= span.last; ++c) {
        found.push_back(c);
        const CGridInt::Node* south = span.south + (c - span.first);
        const CGridInt::Node* north = span.north + (c - span.first);
        ASSERT_EQ(south[0].column, c);
        ASSERT_EQ(south[1].point.m_codes[0], c + 4);
        ASSERT_EQ(north[0].point.m_codes[0], 100 + c + 3);
        ASSERT_EQ(north[1].column, c + 1);
      }
    }
    ASSERT_EQ(found, expected) << "trial " << trial << ", columns " << first << ".." << last;
  }
  m_grid.FindCompleteCells(1, -100, 100, spans);  // no row above
  EXPECT_TRUE(spans.empty());
  m_grid.FindCompleteCells(-1, -100, 100, spans);
  EXPECT_TRUE(spans.empty());
}

TEST_F(GridIntTest, LastLinesAreWhereTheFarExtentsSnap) {
  // The line an extent ends on, within the on-line tolerance on either side (a header
  // written with ten decimals), else the far side of the cell holding the edge; rows no
  // further than the table holds. Ten cells of 1 minute from (-30, 150).
  const double g = 1.0 / 60;
  const std::pair<double, double> cases[] = {{0, 10},         {3e-11, 10},    {-3e-11, 10},    {0.9 * kT, 10},
                                             {-0.9 * kT, 10}, {1.1 * kT, 11}, {-1.1 * kT, 10}, {0.5 * g, 11}};
  for (const auto& [beyond, last] : cases) {
    BuildFull(12, 11, g);
    CGridInt::Header h;
    h.gridSize = g, h.minLat = -30, h.maxLat = -30 + 10 * g + beyond, h.minLon = 150, h.maxLon = 150 + 10 * g + beyond;
    m_grid.SetHeader(h);
    EXPECT_EQ(m_grid.LastRow(), last) << beyond;
    EXPECT_EQ(m_grid.LastColumn(), last) << beyond;
    // The model answers up to the edge and no further.
    EXPECT_NE(At(h.maxLat, h.maxLon - g / 2), -1) << beyond;
    EXPECT_EQ(At(h.maxLat + 2 * kT, h.maxLon - g / 2), -1) << beyond;
  }
  BuildFull(3, 3, g);
  CGridInt::Header h;
  h.gridSize = g, h.minLat = -30, h.maxLat = -30 + 5 * g, h.minLon = 150, h.maxLon = 150 + 2 * g;
  m_grid.SetHeader(h);
  EXPECT_EQ(m_grid.LastRow(), 2);  // the table's last row
}

TEST_F(GridIntTest, CopiesAndMovesAnswerOnTheirOwn) {
  BuildFull(3, 3);
  CGridInt copy(m_grid);
  CGridInt assigned;
  assigned = m_grid;
  m_grid.SetNode(0, 0, Flat(5));  // the original changes, then goes away
  m_grid.MutableRow(1).clear();
  m_grid.Reset();
  CGridInt moved(std::move(copy));
  for (const CGridInt* grid : {&moved, &assigned}) {
    CDataPt p;
    ASSERT_TRUE(grid->Interpolate(-30 + 0.125, 150 + 0.125, p));
    EXPECT_EQ(p.m_codes[0], 1055);
    ASSERT_NE(grid->GetNode(2, 2), nullptr);
    EXPECT_EQ(grid->GetNode(2, 2)->m_codes[0], 1220);
  }
}

TEST_F(GridIntTest, NotLoadedWithFewerThanTwoRowsOrNoSpacing) {
  EXPECT_FALSE(m_grid.IsLoaded());
  EXPECT_EQ(m_grid.GetDetails(), std::vector<std::string>{"No grid file loaded"});
  BuildFull(1, 3);
  EXPECT_FALSE(m_grid.IsLoaded());
  EXPECT_EQ(At(-30, 150), -1);
  BuildFull(2, 2);
  EXPECT_TRUE(m_grid.IsLoaded());
  m_grid.Reset();
  EXPECT_FALSE(m_grid.IsLoaded());
  EXPECT_EQ(m_grid.GetMaxLon(), 0.0);
  EXPECT_EQ(m_grid.GetYear(), 0);
}

TEST_F(GridIntTest, DetailsLines) {
  BuildFull(2, 2, 1.0 / 60);
  m_grid.SetFilePath("C:\\grids\\Demo.MRGGrid");
  const std::vector<std::string> expected = {"File: Demo.MRGGrid",
                                             "Date (D/M/Y): 15/1/2024",
                                             "Major version: 0",
                                             "Minor version: 0",
                                             "Grid size (seconds): 60.00000",
                                             "Minimum latitude (decimal degrees): -30.0000000000",
                                             "Maximum latitude (decimal degrees): -29.9833333333",
                                             "Minimum longitude (decimal degrees): 150.0000000000",
                                             "Maximum longitude (decimal degrees): 150.0166666667"};
  EXPECT_EQ(m_grid.GetDetails(), expected);
  const CScopedLocale comma(kCommaLocale);
  EXPECT_EQ(m_grid.GetDetails(), expected);
}

// A damaged header's extreme numbers make lines of hundreds of characters, kept whole.
TEST_F(GridIntTest, DetailsLinesAreAsLongAsTheirNumbers) {
  CGridInt::Header h;
  h.gridSize = 1e200;
  h.minLat = -1e300;
  h.maxLat = 1e300;
  m_grid.SetHeader(h);
  m_grid.SetRowCount(2);
  const std::vector<std::string> details = m_grid.GetDetails();
  ASSERT_EQ(details.size(), 9u);
  char expected[3][512];
  {
    const CClassicThreadLocale classic;
    std::snprintf(expected[0], sizeof expected[0], "Grid size (seconds): %.5f", 1e200 * 3600.0);
    std::snprintf(expected[1], sizeof expected[1], "Minimum latitude (decimal degrees): %.10f", -1e300);
    std::snprintf(expected[2], sizeof expected[2], "Maximum latitude (decimal degrees): %.10f", 1e300);
  }
  EXPECT_EQ(details[4], expected[0]);
  EXPECT_EQ(details[5], expected[1]);
  EXPECT_EQ(details[6], expected[2]);
  EXPECT_GT(details[5].size(), 340u);
}

TEST_F(GridIntTest, CodingRoundTripsAndClamps) {
  CDataPt::s_offset = -50.0f;
  for (int code = 0; code <= 65535; ++code) {
    CDataPt p;
    p.m_codes[0] = static_cast<std::uint16_t>(code);
    ASSERT_EQ(CDataPt::Encode(p.GetValue(0)), code);
  }
  EXPECT_EQ(CDataPt::Encode(-50.004), 0);  // rounds to 0
  EXPECT_EQ(CDataPt::Encode(-50.2), 0);    // would wrap without the clamp
  EXPECT_EQ(CDataPt::Encode(605.35), 65535);
  EXPECT_EQ(CDataPt::Encode(9999.0), 65535);
  EXPECT_EQ(CDataPt::Encode(std::nan("")), 0);
  EXPECT_EQ(CDataPt::Encode(-49.995), 1);  // half up
}

class CheckAgeTest : public GridIntTest {
 protected:
  // Documents shown by CheckAge at `now`.
  std::size_t NoticesAt(std::time_t now) {
    CRecordingMessenger recorder;
    CScopedMessenger scope(&recorder);
    m_grid.CheckAge(now);
    for (const auto& e : recorder.Entries()) {
      EXPECT_EQ(e.text, "Marevert Grid file expired");
      EXPECT_EQ(e.lines, std::vector<std::string>{"Grid_Expiry_Warning.rtf"});
    }
    return recorder.Entries().size();
  }
  void SetDate(int year, int month, int day) {
    CGridInt::Header h;
    h.gridSize = 0.25;
    h.year = year, h.month = month, h.day = day;
    m_grid.SetHeader(h);
  }
  static std::time_t Midnight(int year, int month, int day) {
    std::tm t{};
    t.tm_year = year - 1900, t.tm_mon = month - 1, t.tm_mday = day, t.tm_isdst = -1;
    return std::mktime(&t);
  }
};

TEST_F(CheckAgeTest, WarnsFrom184Days) {
  constexpr std::time_t kDay = 86400;
  const std::time_t issued = Midnight(2024, 3, 10);
  SetDate(2024, 3, 10);
  EXPECT_EQ(NoticesAt(issued + 184 * kDay), 0u);  // not loaded: no rows
  m_grid.SetRowCount(2);
  EXPECT_EQ(NoticesAt(issued + 184 * kDay - 1), 0u);  // 183 days
  EXPECT_EQ(NoticesAt(issued + 184 * kDay), 1u);
  EXPECT_EQ(NoticesAt(issued + 4000 * kDay), 1u);
  EXPECT_EQ(NoticesAt(issued - 300 * kDay), 0u);  // dated in the future
  // Day 31 of April is 1 May.
  SetDate(2024, 4, 31);
  EXPECT_EQ(NoticesAt(Midnight(2024, 5, 1) + 184 * kDay - 1), 0u);
  EXPECT_EQ(NoticesAt(Midnight(2024, 5, 1) + 184 * kDay), 1u);
  // Dates that are no calendar date give no age and no notice.
  for (auto [y, m, d] : {std::tuple{1899, 6, 1},
                         {2020, 0, 1},
                         {2020, 13, 1},
                         {2020, 6, 0},
                         {2020, 6, 32},
                         {-0x7fffffff - 1, -5, -5},
                         {0x7fffffff, 12, 31}}) {
    SetDate(y, m, d);
    EXPECT_EQ(NoticesAt(issued + 9000 * kDay), 0u);
  }
}

}  // namespace

TEST_F(GridIntTest, AModelWithItsOwnCodingDoesNotFollowTheClassWideValues) {
  std::mt19937 random(17);
  CDataPt::s_offset = -50.0f, CDataPt::s_scale = 100.0f;
  Build(
      6, 6, 1.0 / 60, [](int, int) { return true; }, [&](int, int) { return static_cast<int>(random() % 65536); });
  CGridInt own = m_grid;
  own.SetCoding({-50.0f, 100.0f});
  std::uniform_real_distribution<double> unit(0.0, 5.0 / 60);
  std::vector<std::pair<double, double>> positions;
  std::vector<CDataPt> expected;
  for (int i = 0; i < 500; ++i) {
    positions.emplace_back(-30 + unit(random), 150 + unit(random));
    expected.emplace_back();
    ASSERT_TRUE(m_grid.Interpolate(positions.back().first, positions.back().second, expected.back()));
  }
  // Other class-wide values change how the model that follows them decodes, not the
  // one with its own.
  CDataPt::s_offset = 3.0f, CDataPt::s_scale = 7.0f;
  for (std::size_t i = 0; i < positions.size(); ++i) {
    CDataPt a;
    ASSERT_TRUE(own.Interpolate(positions[i].first, positions[i].second, a));
    ASSERT_EQ(a.m_codes, expected[i].m_codes);
    ASSERT_EQ(own.DecodeValue(a.m_codes[3]), CDataPt::Decode(a.m_codes[3], -50.0f, 100.0f));
  }
  EXPECT_NE(m_grid.DecodeValue(1000), own.DecodeValue(1000));
}

TEST_F(GridIntTest, ModelsMadeOneAfterAnotherDecodeEachWithItsOwnCodingValues) {
  // Models of equal coding values share one decoding table: a table made for other
  // values in between, or for a scale of -0 after one of 0, changes nothing another
  // model decodes.
  const CGridInt::Coding codings[] = {{-50.0f, 100.0f}, {12.5f, 3.0f}, {-50.0f, 100.0f}, {0.0f, 0.0f}, {0.0f, -0.0f}};
  std::vector<CGridInt> models(std::size(codings));
  for (CGridInt& model : models) model.SetRowCount(2);
  for (std::size_t m = 0; m < models.size(); ++m) models[m].SetCoding(codings[m]);  // tables made in this order
  for (std::size_t m = 0; m < models.size(); ++m) {
    for (std::uint32_t code = 0; code < 65536; ++code) {
      const auto c = static_cast<std::uint16_t>(code);
      ASSERT_EQ(std::bit_cast<std::uint32_t>(models[m].DecodeValue(c)),
                std::bit_cast<std::uint32_t>(CDataPt::Decode(c, codings[m].offset, codings[m].scale)))
          << "model " << m << ", code " << code;
    }
  }
}
