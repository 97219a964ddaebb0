// The data-driven tier: every case in tests/data/*.cases is a test of its own, named
// <file>.<case>. A file describes small grids and, on them, cases of three kinds:
// surface values interpolated at a position, a height carried from one reference to
// another, and the point computation from typed texts. tests/data/README.md describes
// the format.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/ClassicText.h"
#include "grid/GridInt.h"
#include "support/ClassWideValues.h"
#include "support/TestLattice.h"
#include "trans/PointTransform.h"
#include "trans/TransFactory.h"

namespace {

namespace fs = std::filesystem;
using CWords = std::vector<std::string>;

// A line's words: separated by blanks, a word in double quotes may hold blanks or be
// empty ("\t" in it is a tab); "#" starts a comment.
CWords SplitWords(const std::string& line) {
  std::istringstream in(line.substr(0, line.find('#')));
  CWords words;
  for (std::string word; in >> std::quoted(word, '"', '\0');) {
    for (std::size_t tab; (tab = word.find("\\t")) != std::string::npos;)
      word = word.substr(0, tab) + '\t' + word.substr(tab + 2);
    words.push_back(word);
  }
  return words;
}

// A number as strtod reads it whole ("nan" and "inf" included), or a fraction "a/b".
double Number(const std::string& word) {
  if (const std::size_t slash = word.find('/'); slash != std::string::npos && slash > 0)
    return Number(word.substr(0, slash)) / Number(word.substr(slash + 1));
  char* end = nullptr;
  const double value = ClassicStrtod(word.c_str(), &end);
  if (word.empty() || *end != '\0') throw std::runtime_error("\"" + word + "\" is not a number");
  return value;
}

const CTransBase& Reference(const std::string& name) {
  const CTransBase* ref = CTransFactory::Instance().LookUp(name);
  if (ref == nullptr) throw std::runtime_error(CTransFactory::Instance().UnknownReferenceMessage(name));
  return *ref;
}

struct CLine {
  CWords words;
  std::string where;  // file:line
};

struct CCase {
  std::string name, where;
  std::vector<CLine> lines;  // the grid's lines, the settings in force, then the case's own
};

class CCaseTest : public ::testing::Test {
 public:
  explicit CCaseTest(CCase c) : m_case(std::move(c)) {}

  void TestBody() override {
    const CClassWideValues restore;
    CDataPt::s_offset = 0, CDataPt::s_scale = 100;
    for (const CLine& line : m_case.lines) {
      SCOPED_TRACE(line.where);
      try {
        Run(line.words);
      } catch (const std::exception& e) {
        FAIL() << e.what();
      }
      if (HasFatalFailure()) return;
    }
  }

 private:
  void Run(const CWords& w) {
    static const std::map<std::string, std::size_t> kWords = {
        {"origin", 2}, {"spacing", 1}, {"coding", 2}, {"surfaces", CDataPt::kSurfaceCount},
        {"size", 2},   {"fill", 1},    {"sign", 1},   {"tolerance", 1}};
    const std::string& key = w[0];
    if (const auto words = kWords.find(key); words != kWords.end() && w.size() != words->second + 1)
      throw std::runtime_error(key + " takes " + std::to_string(words->second) + " words");
    if (key == "grid") {
    } else if (key == "origin") {
      m_south = Number(w[1]);
      m_west = Number(w[2]);
    } else if (key == "spacing") {
      m_spacing = Number(w[1]);
    } else if (key == "coding") {
      CDataPt::s_offset = static_cast<float>(Number(w[1]));
      CDataPt::s_scale = static_cast<float>(Number(w[2]));
    } else if (key == "surfaces") {
      for (int k = 0; k < CDataPt::kSurfaceCount; ++k) m_surfaces[k] = Number(w[k + 1]);
    } else if (key == "size") {
      m_rows = static_cast<int>(Number(w[1]));
      m_columns = static_cast<int>(Number(w[2]));
    } else if (key == "fill") {
      m_fill = Number(w[1]);
    } else if (key == "row") {
      if (w.size() < 3 || w[1].back() != ':') throw std::runtime_error("row R: VALUE ...");
      auto& values = m_rowValues[static_cast<int>(Number(w[1].substr(0, w[1].size() - 1)))];
      for (std::size_t i = 2; i < w.size(); ++i)
        values.push_back(w[i] == "-" ? std::nullopt : std::optional(Number(w[i])));
    } else if (key == "sign") {
      if (w[1] != "heights" && w[1] != "depths") throw std::runtime_error("sign heights or sign depths");
      m_sign = w[1] == "depths" ? -1.0 : 1.0;
    } else if (key == "tolerance") {
      m_tolerance = Number(w[1]);
    } else if (key == "interpolate" || key == "carry" || key == "point") {
      if (m_grid.GetRowCount() == 0) BuildGrid();
      m_operation = key;
      CTransBase::s_sign = m_sign;
      if (key == "interpolate") Interpolate(w);
      if (key == "carry") Carry(w);
      if (key == "point") Point(w);
    } else if (key == "expect" && w.size() >= 2 && !m_operation.empty()) {
      Expect(CWords(w.begin() + 1, w.end()));
    } else {
      throw std::runtime_error(key == "unreadable" ? w.at(1) : "cannot read \"" + key + "\" here");
    }
  }

  // Nodes hold their row's value (or the fill) plus the surface's own, coded under the
  // class-wide coding values. Without a size, the "row" lines give it.
  void BuildGrid() {
    for (const auto& [r, values] : m_rowValues) {
      m_rows = std::max(m_rows, r + 1);
      m_columns = std::max(m_columns, static_cast<int>(values.size()));
    }
    SetLattice(m_grid, m_south, m_west, m_spacing, m_rows, m_columns);
    for (int r = 0; r < m_rows; ++r) {
      for (int c = 0; c < m_columns; ++c) {
        const auto given = m_rowValues.find(r);
        const std::optional<double> value =
            given != m_rowValues.end() && c < static_cast<int>(given->second.size()) ? given->second[c] : m_fill;
        if (!value) continue;
        std::array<double, CDataPt::kSurfaceCount> values = m_surfaces;
        for (double& v : values) v += *value;
        m_grid.SetNode(r, c, CDataPt(values));
      }
    }
  }

  // "LAT LON" in decimal degrees, or "node R C" in lattice steps from the origin, each
  // step count optionally followed by a multiple of the on-line tolerance ("1-0.5t").
  std::pair<double, double> Position(const CWords& w, std::size_t at) const {
    if (w.size() == at + 2 && w[at] != "node") return {Number(w[at]), Number(w[at + 1])};
    if (w.size() != at + 3 || w[at] != "node") throw std::runtime_error("a position is LAT LON or node R C");
    const auto along = [this](double origin, const std::string& word) {
      const std::size_t sign = word.back() == 't' ? word.find_last_of("+-", word.size() - 2) : std::string::npos;
      if (sign == std::string::npos || sign == 0) return origin + Number(word) * m_spacing;
      return origin + Number(word.substr(0, sign)) * m_spacing +
             Number(word.substr(sign, word.size() - sign - 1)) * CGridInt::kOnLineTolerance;
    };
    return {along(m_south, w[at + 1]), along(m_west, w[at + 2])};
  }

  // interpolate POSITION
  void Interpolate(const CWords& w) {
    const auto [lat, lon] = Position(w, 1);
    m_point.m_codes.fill(7);  // must stay so when the position is outside
    m_inside = m_grid.Interpolate(lat, lon, m_point);
  }

  // carry HEIGHT FROM to TO at POSITION
  void Carry(const CWords& w) {
    if (w.size() < 6 || w[3] != "to" || w[5] != "at") throw std::runtime_error("carry HEIGHT FROM to TO at POSITION");
    const auto [lat, lon] = Position(w, 6);
    m_inside = m_grid.Interpolate(lat, lon, m_point);
    m_height = Number(w[1]) + Reference(w[2]).GetSeparation(m_point) - Reference(w[4]).GetSeparation(m_point);
  }

  // point LAT LON HEIGHT from REF, the texts as typed
  void Point(const CWords& w) {
    if (w.size() != 6 || w[4] != "from") throw std::runtime_error("point LAT LON HEIGHT from REF");
    m_outcome = m_pointTransform.Compute(w[1], w[2], w[3], w[5], &m_grid);
    if (m_outcome != CPointTransform::Outcome::Done) {
      EXPECT_TRUE(m_pointTransform.GetRows().empty());
    }
  }

  // expect ... after the operation before it
  void Expect(const CWords& w) {
    const auto near = [this](double value, const std::string& expected, const std::string& what) {
      EXPECT_NEAR(value, Number(expected), m_tolerance) << what;
    };
    if (m_operation == "point") return ExpectPoint(w, near);
    if (w[0] == "outside") {
      EXPECT_FALSE(m_inside);
      std::array<std::uint16_t, CDataPt::kSurfaceCount> untouched;
      untouched.fill(7);
      if (m_operation == "interpolate") {
        EXPECT_EQ(m_point.m_codes, untouched);
      }
      return;
    }
    ASSERT_TRUE(m_inside);
    if (m_operation == "carry") return near(m_height, w[0], "height");
    // One value for every surface (the first that differs is reported), or SURFACE VALUE pairs.
    for (int k = 0; w.size() == 1 && k < CDataPt::kSurfaceCount; ++k) {
      if (std::fabs(m_point.GetValue(k) - Number(w[0])) > m_tolerance)
        return near(m_point.GetValue(k), w[0], "surface " + std::to_string(k));
    }
    for (std::size_t i = 0; i + 1 < w.size(); i += 2)
      near(m_point.GetValue(Reference(w[i]).GetSurfaceRead()), w[i + 1], w[i]);
  }

  template <typename Near>
  void ExpectPoint(const CWords& w, const Near& near) {
    if (w[0] == "message") {
      EXPECT_EQ(CPointTransform::GetMessage(m_outcome), w.at(1));
      return;
    }
    ASSERT_EQ(m_outcome, CPointTransform::Outcome::Done) << CPointTransform::GetMessage(m_outcome);
    const std::vector<CPointRow>& rows = m_pointTransform.GetRows();
    if (w[0] == "order") {
      CWords names, expected;
      for (const CPointRow& row : rows) names.push_back(row.m_name);
      for (std::size_t i = 1; i < w.size(); ++i) expected.push_back(Reference(w[i]).GetName());
      EXPECT_EQ(names, expected);
    } else if (w[0] == "row") {
      const auto row = std::find_if(rows.begin(), rows.end(),
                                    [&w](const CPointRow& r) { return r.m_name == Reference(w.at(1)).GetName(); });
      ASSERT_NE(row, rows.end()) << w[1];
      near(row->m_separation, w.at(2), "separation of " + w[1]);
      near(row->m_height, w.at(3), "height above " + w[1]);
    } else if (w[0] == "ellipsoid") {
      near(m_pointTransform.GetEllipsoidHeight(), w.at(1), "ellipsoidal height");
    } else {
      throw std::runtime_error("expect message, order, row or ellipsoid after point");
    }
  }

  CCase m_case;
  double m_south = 0, m_west = 0, m_spacing = 1;
  std::array<double, CDataPt::kSurfaceCount> m_surfaces{};
  int m_rows = 0, m_columns = 0;
  std::optional<double> m_fill;
  std::map<int, std::vector<std::optional<double>>> m_rowValues;  // "row" lines, over the fill
  double m_sign = 1.0, m_tolerance = 0.001;
  CGridInt m_grid;
  std::string m_operation;  // the last one, which "expect" lines check
  bool m_inside = false;
  CDataPt m_point;
  double m_height = 0;
  CPointTransform m_pointTransform;
  CPointTransform::Outcome m_outcome{};
};

// The cases of a .cases file. Grid lines and the settings given before a case are
// copied into it, so that each case runs on its own.
std::vector<CCase> ReadCases(const fs::path& path) {
  std::ifstream in(path);
  std::vector<CCase> cases;
  std::vector<CLine> gridLines, settings;
  std::set<std::string> names;
  bool inCase = false;
  const std::string file = path.filename().string() + ":";
  int number = 0;
  for (std::string text; std::getline(in, text);) {
    CLine line{SplitWords(text), file + std::to_string(++number)};
    if (line.words.empty()) continue;
    const std::string& key = line.words[0];
    if (key == "grid") {
      gridLines.clear();
      inCase = false;
    } else if (key == "case") {
      const std::string name = line.words.size() == 2 ? line.words[1] : "";
      if (name.empty() || name.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789_") != std::string::npos ||
          !names.insert(name).second)
        throw std::runtime_error(line.where + ": a case needs a new name of lower case letters, digits and _");
      cases.push_back({name, line.where, gridLines});
      cases.back().lines.insert(cases.back().lines.end(), settings.begin(), settings.end());
      inCase = true;
      continue;
    }
    if (inCase) {
      cases.back().lines.push_back(line);
    } else if (key == "sign" || key == "tolerance") {
      settings.push_back(line);
    } else {
      gridLines.push_back(line);
    }
  }
  return cases;
}

// Registers every case of every .cases file; a file that cannot be read is one failing
// test that says why.
bool RegisterCases() {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(MAREVERT_SOURCE_DIR "/tests/data"))
    if (entry.path().extension() == ".cases") files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  for (const fs::path& file : files) {
    std::vector<CCase> cases;
    try {
      cases = ReadCases(file);
    } catch (const std::exception& e) {
      cases = {{"reads_as_cases", file.string(), {{{"unreadable", e.what()}, file.string()}}}};
    }
    for (CCase& c : cases) {
      const std::string name = c.name, where = c.where;
      ::testing::RegisterTest(file.stem().c_str(), name.c_str(), nullptr, nullptr, where.c_str(), 0,
                              [c = std::move(c)] { return new CCaseTest(c); });
    }
  }
  return true;
}

const bool g_registered = RegisterCases();

}  // namespace
