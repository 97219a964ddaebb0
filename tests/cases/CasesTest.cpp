// The data-driven tier: every case in tests/data/*.cases is a test of its own, named
// <file>.<case>. A file defines small grids and, on them, cases of three kinds:
// surface values interpolated at a position, a height carried from one reference to
// another, and the point computation from typed texts. The format is described in
// tests/data/README.md.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/ClassicText.h"
#include "grid/GridInt.h"
#include "support/ClassWideValues.h"
#include "trans/PointTransform.h"
#include "trans/TransFactory.h"

namespace {

namespace fs = std::filesystem;
using CWords = std::vector<std::string>;

// A line's words: separated by blanks, a word in double quotes may hold blanks or be
// empty ("\t" in it is a tab); "#" outside quotes starts a comment.
CWords SplitWords(const std::string& line) {
  CWords words;
  for (std::size_t i = 0; i < line.size();) {
    if (line[i] == ' ' || line[i] == '\t' || line[i] == '\r') {
      ++i;
    } else if (line[i] == '#') {
      break;
    } else if (line[i] == '"') {
      const std::size_t end = line.find('"', i + 1);
      if (end == std::string::npos) throw std::runtime_error("a quote is not closed");
      std::string word;
      for (std::size_t k = i + 1; k < end; ++k) {
        const bool tab = line[k] == '\\' && k + 1 < end && line[k + 1] == 't';
        word += tab ? '\t' : line[k];
        k += tab;
      }
      words.push_back(word);
      i = end + 1;
    } else {
      const std::size_t end = std::min(line.find_first_of(" \t\r#", i), line.size());
      words.push_back(line.substr(i, end - i));
      i = end;
    }
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

// A lattice of rows x columns nodes from the south-west node `origin`; node (r, c)
// holds value(r, c) + surfaces[k] on surface k, coded under `coding`.
struct CCaseGrid {
  double south = 0, west = 0, spacing = 1;
  float offset = 0, scale = 100;
  std::array<double, CDataPt::kSurfaceCount> surfaces{};
  int rows = 0, columns = 0;
  std::optional<double> fill;
  std::map<int, std::vector<std::optional<double>>> rowValues;  // "row" lines, over the fill

  // Under the class-wide coding values, which the caller sets to this grid's. Without a
  // size, the "row" lines give it.
  void Build(CGridInt& grid) const {
    int rows = this->rows, columns = this->columns;
    for (const auto& [r, values] : rowValues) {
      if (this->rows == 0) rows = std::max(rows, r + 1);
      if (this->columns == 0) columns = std::max(columns, static_cast<int>(values.size()));
    }
    CGridInt::Header header;
    header.gridSize = spacing;
    header.minLat = south, header.maxLat = south + (rows - 1) * spacing;
    header.minLon = west, header.maxLon = west + (columns - 1) * spacing;
    grid.SetHeader(header);
    grid.SetRowCount(static_cast<std::size_t>(rows));
    for (int r = 0; r < rows; ++r) {
      const auto given = rowValues.find(r);
      for (int c = 0; c < columns; ++c) {
        std::optional<double> value = fill;
        if (given != rowValues.end()) value = c < static_cast<int>(given->second.size()) ? given->second[c] : fill;
        if (!value) continue;
        std::array<double, CDataPt::kSurfaceCount> values = surfaces;
        for (double& v : values) v += *value;
        grid.SetNode(r, c, CDataPt(values));
      }
    }
  }

  // "LAT LON" in decimal degrees, or "node R C" in lattice steps from the origin, each
  // step count optionally followed by a multiple of the on-line tolerance ("1-0.5t").
  std::pair<double, double> Position(const CWords& words, std::size_t at) const {
    if (words.size() != at + 2 && !(words.size() == at + 3 && words[at] == "node"))
      throw std::runtime_error("a position is \"LAT LON\" or \"node R C\"");
    if (words[at] != "node") return {Number(words[at]), Number(words[at + 1])};
    const auto along = [this](double origin, const std::string& word) {
      double steps = 0, tolerances = 0;
      const std::size_t sign = word.back() == 't' ? word.find_last_of("+-", word.size() - 2) : std::string::npos;
      if (sign != std::string::npos && sign > 0) {
        steps = Number(word.substr(0, sign));
        tolerances = Number(word.substr(sign, word.size() - sign - 1));
      } else {
        steps = Number(word);
      }
      return origin + steps * spacing + tolerances * CGridInt::kOnLineTolerance;
    };
    return {along(south, words[at + 1]), along(west, words[at + 2])};
  }
};

// One operation of a case and what it must give.
struct CStep {
  CWords operation;
  double sign = 1.0;
  struct Expectation {
    CWords words;  // after "expect"
    double tolerance;
    std::string where;
  };
  std::vector<Expectation> expectations;
  std::string where;  // file:line, for failure messages
};

struct CCase {
  std::string name, where;
  std::shared_ptr<const CCaseGrid> grid;
  std::vector<CStep> steps;
};

class CCaseTest : public ::testing::Test {
 public:
  explicit CCaseTest(CCase c) : m_case(std::move(c)) {}

  void TestBody() override {
    const CClassWideValues restore;
    CDataPt::s_offset = m_case.grid->offset;
    CDataPt::s_scale = m_case.grid->scale;
    m_case.grid->Build(m_grid);
    for (const CStep& step : m_case.steps) {
      SCOPED_TRACE(step.where);
      CTransBase::s_sign = step.sign;
      const std::string& kind = step.operation[0];
      if (kind == "interpolate") Interpolate(step);
      if (kind == "carry") Carry(step);
      if (kind == "point") Point(step);
    }
  }

 private:
  // interpolate POSITION; expect outside | VALUE (every surface) | SURFACE VALUE ...
  void Interpolate(const CStep& step) {
    const auto [lat, lon] = m_case.grid->Position(step.operation, 1);
    CDataPt untouched, point;
    untouched.m_codes.fill(7);
    point = untouched;
    const bool inside = m_grid.Interpolate(lat, lon, point);
    for (const auto& [words, tolerance, where] : step.expectations) {
      SCOPED_TRACE(where);
      if (words[0] == "outside") {
        EXPECT_FALSE(inside);
        EXPECT_EQ(point.m_codes, untouched.m_codes);  // left as it was
        continue;
      }
      ASSERT_TRUE(inside);
      std::vector<std::pair<int, double>> wanted;  // surface, value
      for (int k = 0; words.size() == 1 && k < CDataPt::kSurfaceCount; ++k) wanted.emplace_back(k, Number(words[0]));
      for (std::size_t i = 0; i + 1 < words.size(); i += 2)
        wanted.emplace_back(Reference(words[i]).GetSurfaceRead(), Number(words[i + 1]));
      for (const auto& [k, value] : wanted) {
        if (std::fabs(point.GetValue(k) - value) <= tolerance) continue;
        ADD_FAILURE() << "surface " << k << " is " << point.GetValue(k) << ", not " << value << " within " << tolerance;
        break;
      }
    }
  }

  // carry HEIGHT FROM to TO at POSITION; expect outside | HEIGHT
  void Carry(const CStep& step) {
    const CWords& op = step.operation;
    ASSERT_TRUE(op.size() >= 6 && op[3] == "to" && op[5] == "at") << "carry HEIGHT FROM to TO at POSITION";
    const auto [lat, lon] = m_case.grid->Position(op, 6);
    CDataPt point;
    const bool inside = m_grid.Interpolate(lat, lon, point);
    const double height = Number(op[1]) + Reference(op[2]).GetSeparation(point, step.sign) -
                          Reference(op[4]).GetSeparation(point, step.sign);
    for (const auto& [words, tolerance, where] : step.expectations) {
      SCOPED_TRACE(where);
      EXPECT_EQ(inside, words[0] != "outside");
      if (inside && words[0] != "outside") {
        EXPECT_NEAR(height, Number(words[0]), tolerance);
      }
    }
  }

  // point LAT LON HEIGHT from REF (the texts as typed); expect message TEXT |
  // order REF ... | row REF SEPARATION HEIGHT | ellipsoid HEIGHT
  void Point(const CStep& step) {
    const CWords& op = step.operation;
    ASSERT_TRUE(op.size() == 6 && op[4] == "from") << "point LAT LON HEIGHT from REF";
    CPointTransform point;
    const CPointTransform::Outcome outcome = point.Compute(op[1], op[2], op[3], op[5], &m_grid);
    if (outcome != CPointTransform::Outcome::Done) {
      EXPECT_TRUE(point.GetRows().empty());
    }
    const auto row = [&point](const std::string& name) {
      for (const CPointRow& r : point.GetRows())
        if (r.m_name == Reference(name).GetName()) return r;
      throw std::runtime_error("no row " + name);
    };
    for (const auto& [words, tolerance, where] : step.expectations) {
      SCOPED_TRACE(where);
      const std::string& what = words[0];
      if (what == "message") {
        EXPECT_EQ(CPointTransform::GetMessage(outcome), words.at(1));
        continue;
      }
      ASSERT_EQ(outcome, CPointTransform::Outcome::Done) << CPointTransform::GetMessage(outcome);
      if (what == "order") {
        CWords expected, names;
        for (std::size_t i = 1; i < words.size(); ++i) expected.push_back(Reference(words[i]).GetName());
        for (const CPointRow& r : point.GetRows()) names.push_back(r.m_name);
        EXPECT_EQ(names, expected);
      } else if (what == "row") {
        EXPECT_NEAR(row(words.at(1)).m_separation, Number(words.at(2)), tolerance) << words[1];
        EXPECT_NEAR(row(words[1]).m_height, Number(words.at(3)), tolerance) << words[1];
      } else if (what == "ellipsoid") {
        EXPECT_NEAR(point.GetEllipsoidHeight(), Number(words.at(1)), tolerance);
      } else {
        FAIL() << "unknown expectation " << what;
      }
    }
  }

  CCase m_case;
  CGridInt m_grid;
};

// Reads a .cases file into its cases; throws on a line it cannot read, naming it.
std::vector<CCase> ReadCases(const fs::path& path) {
  std::ifstream in(path);
  std::vector<CCase> cases;
  std::set<std::string> names;
  std::shared_ptr<CCaseGrid> grid;
  double sign = 1.0, tolerance = 0.001;
  const std::string file = path.filename().string() + ":";
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    const std::string where = file + std::to_string(++number);
    try {
      const CWords w = SplitWords(line);
      if (w.empty()) continue;
      const std::string& key = w[0];
      const auto need = [&w](std::size_t count) {
        if (w.size() != count + 1) throw std::runtime_error(w[0] + " takes " + std::to_string(count) + " words");
      };
      const auto theGrid = [&grid]() -> CCaseGrid& {
        if (!grid) throw std::runtime_error("no grid yet");
        return *grid;
      };
      if (key == "grid") {
        need(1);
        grid = std::make_shared<CCaseGrid>();
      } else if (key == "origin") {
        need(2);
        theGrid().south = Number(w[1]), theGrid().west = Number(w[2]);
      } else if (key == "spacing") {
        need(1);
        theGrid().spacing = Number(w[1]);
      } else if (key == "coding") {
        need(2);
        theGrid().offset = static_cast<float>(Number(w[1])), theGrid().scale = static_cast<float>(Number(w[2]));
      } else if (key == "surfaces") {
        need(CDataPt::kSurfaceCount);
        for (int k = 0; k < CDataPt::kSurfaceCount; ++k) theGrid().surfaces[k] = Number(w[k + 1]);
      } else if (key == "size") {
        need(2);
        theGrid().rows = static_cast<int>(Number(w[1])), theGrid().columns = static_cast<int>(Number(w[2]));
      } else if (key == "fill") {
        need(1);
        theGrid().fill = Number(w[1]);
      } else if (key == "row") {
        if (w.size() < 3 || w[1].back() != ':') throw std::runtime_error("row R: VALUE ...");
        auto& values = theGrid().rowValues[static_cast<int>(Number(w[1].substr(0, w[1].size() - 1)))];
        for (std::size_t i = 2; i < w.size(); ++i)
          values.push_back(w[i] == "-" ? std::nullopt : std::optional<double>(Number(w[i])));
      } else if (key == "sign") {
        need(1);
        if (w[1] != "heights" && w[1] != "depths") throw std::runtime_error("sign heights or sign depths");
        sign = w[1] == "depths" ? -1.0 : 1.0;
      } else if (key == "tolerance") {
        need(1);
        tolerance = Number(w[1]);
      } else if (key == "case") {
        need(1);
        if (w[1].find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789_") != std::string::npos)
          throw std::runtime_error("a case name is lower case letters, digits and _");
        if (!names.insert(w[1]).second) throw std::runtime_error("a second case " + w[1]);
        cases.push_back({w[1], where, std::make_shared<const CCaseGrid>(theGrid()), {}});
      } else if (key == "interpolate" || key == "carry" || key == "point") {
        if (cases.empty()) throw std::runtime_error("an operation outside a case");
        cases.back().steps.push_back({w, sign, {}, where});
      } else if (key == "expect") {
        if (cases.empty() || cases.back().steps.empty() || w.size() < 2)
          throw std::runtime_error("expect WHAT after an operation");
        cases.back().steps.back().expectations.push_back({CWords(w.begin() + 1, w.end()), tolerance, where});
      } else {
        throw std::runtime_error("unknown word " + key);
      }
    } catch (const std::exception& e) {
      throw std::runtime_error(where + ": " + e.what());
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
    const std::string suite = file.stem().string();
    try {
      for (CCase& c : ReadCases(file)) {
        const std::string name = c.name, where = c.where;
        ::testing::RegisterTest(suite.c_str(), name.c_str(), nullptr, nullptr, where.c_str(), 0,
                                [c = std::move(c)]() -> ::testing::Test* { return new CCaseTest(c); });
      }
    } catch (const std::exception& e) {
      const std::string error = e.what();
      ::testing::RegisterTest(suite.c_str(), "reads_as_cases", nullptr, nullptr, file.c_str(), 0,
                              [error]() -> ::testing::Test* {
                                struct Failure : ::testing::Test {
                                  explicit Failure(std::string e) : error(std::move(e)) {}
                                  void TestBody() override { FAIL() << error; }
                                  std::string error;
                                };
                                return new Failure(error);
                              });
    }
  }
  return true;
}

const bool g_registered = RegisterCases();

}  // namespace
