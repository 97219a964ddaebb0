// The data-driven tier: every case in tests/data/*.cases is a test of its own, named
// <file>.<case>. On a small grid the file describes, a case interpolates the surfaces at
// a position, carries a height from one reference to another, or computes the point page
// from typed texts, and checks what comes out. tests/data/README.md describes the format.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/common/NumberText.h"
#include "core/grid/GridInt.h"
#include "core/trans/PointTransform.h"
#include "core/trans/TransFactory.h"
#include "support/ClassWideValues.h"
#include "support/TestLattice.h"

namespace {

namespace fs = std::filesystem;
using CWords = std::vector<std::string>;

struct CLine {
  CWords words;
  std::string where;  // file:line
};

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

constexpr std::uint16_t kUntouched = 7;  // the result's codes before an interpolation

// One case: its lines (see ReadCases), run in order when the test runs.
class CCaseTest : public ::testing::Test {
 public:
  explicit CCaseTest(std::vector<CLine> lines) : m_lines(std::move(lines)) {}

  void TestBody() override {
    const CClassWideValues restore(0.0f, 100.0f);
    for (const CLine& line : m_lines) {
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
  // A line's words as its usage shows them: POSITION stands for two or three words and
  // "..." for any more; the usage's lower-case words stand as they are ("a|b": a or b).
  struct COperation {
    const char* usage;
    void (*run)(CCaseTest& t, const CWords& w);
  };

  void Run(const CWords& w) {
    static const COperation kOperations[] = {
        {"case NAME", [](CCaseTest&, const CWords&) {}},
        {"grid NAME", [](CCaseTest&, const CWords&) {}},
        {"origin LAT LON", [](CCaseTest& t, const CWords& w) { t.m_origin = std::pair(Number(w[1]), Number(w[2])); }},
        {"spacing DEGREES", [](CCaseTest& t, const CWords& w) { t.m_spacing = Number(w[1]); }},
        {"coding OFFSET SCALE",
         [](CCaseTest&, const CWords& w) { CDataPt::s_offset = Number(w[1]), CDataPt::s_scale = Number(w[2]); }},
        {"size ROWS COLUMNS", [](CCaseTest& t, const CWords& w) { t.m_size = std::pair(Count(w[1]), Count(w[2])); }},
        {"fill VALUE", [](CCaseTest& t, const CWords& w) { t.m_fill = Number(w[1]); }},
        {"row R: VALUE ...", [](CCaseTest& t, const CWords& w) { t.Row(w); }},
        {"surfaces LAT MLLW MLWS MLW MHLW MLWN AHD MSL MLHW MHWN MHW MHHW MHWS HAT",
         [](CCaseTest& t, const CWords& w) { std::transform(w.begin() + 1, w.end(), t.m_surfaces.begin(), Number); }},
        {"sign heights|depths", [](CCaseTest& t, const CWords& w) { t.m_sign = w[1] == "depths" ? -1.0 : 1.0; }},
        {"tolerance METRES", [](CCaseTest& t, const CWords& w) { t.m_tolerance = Number(w[1]); }},
        {"interpolate POSITION", [](CCaseTest& t, const CWords& w) { t.Locate(w, 1); }},
        {"carry HEIGHT FROM to TO at POSITION", [](CCaseTest& t, const CWords& w) { t.Carry(w); }},
        {"point LAT LON HEIGHT from REF", [](CCaseTest& t, const CWords& w) { t.Point(w); }},
        {"expect WHAT ...", [](CCaseTest& t, const CWords& w) { t.Expect(w); }},
        {"unreadable WHY", [](CCaseTest&, const CWords& w) { throw std::runtime_error(w[1]); }},
    };
    for (const COperation& op : kOperations) {
      const CWords usage = SplitWords(op.usage);
      if (usage[0] != w[0]) continue;
      const bool any = usage.back() == "...", position = usage.back() == "POSITION";
      bool fits = any ? w.size() + 1 >= usage.size()
                      : w.size() >= usage.size() + position && w.size() <= usage.size() + 2 * position;
      for (std::size_t i = 1; i < std::min(w.size(), usage.size()); ++i)
        fits &= usage[i].find_first_not_of("abcdefghijklmnopqrstuvwxyz|") != std::string::npos ||
                ("|" + usage[i] + "|").find("|" + w[i] + "|") != std::string::npos;
      if (!fits) throw std::runtime_error(std::string("a line of this kind reads: ") + op.usage);
      return op.run(*this, w);
    }
    throw std::runtime_error("cannot read \"" + w[0] + "\" here");
  }

  static int Count(const std::string& word) { return static_cast<int>(Number(word)); }

  // row R: V V - V
  void Row(const CWords& w) {
    if (w[1].back() != ':') throw std::runtime_error("a row number ends in \":\"");
    auto& values = m_rowValues[Count(w[1].substr(0, w[1].size() - 1))];
    for (std::size_t i = 2; i < w.size(); ++i)
      values.push_back(w[i] == "-" ? std::nullopt : std::optional(Number(w[i])));
  }

  // Made when the first operation needs it. Nodes hold their row's value (or the fill)
  // plus the surface's own, coded under the class-wide coding values; without a size,
  // the "row" lines give it.
  void BuildGrid() {
    auto [rows, columns] = m_size;
    for (const auto& [r, values] : m_rowValues) {
      rows = std::max(rows, r + 1);
      columns = std::max(columns, static_cast<int>(values.size()));
    }
    SetLattice(m_grid, m_origin.first, m_origin.second, m_spacing, rows, columns);
    for (int r = 0; r < rows; ++r) {
      for (int c = 0; c < columns; ++c) {
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

  // Every operation: the grid made, the sign in force, the expectations that follow.
  void Begin(void (CCaseTest::*expect)(const CWords&)) {
    if (m_grid.GetRowCount() == 0) BuildGrid();
    CTransBase::s_sign = m_sign;
    m_expect = expect;
    m_height.reset();
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
    return {along(m_origin.first, w[at + 1]), along(m_origin.second, w[at + 2])};
  }

  // interpolate POSITION (and the start of carry): the result keeps its codes when outside.
  std::pair<double, double> Locate(const CWords& w, std::size_t at) {
    Begin(&CCaseTest::ExpectAnswer);
    const auto [lat, lon] = Position(w, at);
    m_point.m_codes.fill(kUntouched);
    m_inside = m_grid.Interpolate(lat, lon, m_point);
    return {lat, lon};
  }

  // carry HEIGHT FROM to TO at POSITION
  void Carry(const CWords& w) {
    const auto [lat, lon] = Locate(w, 6);
    m_height = Number(w[1]) + Reference(w[2]).GetSeparation(m_point, lat, lon) -
               Reference(w[4]).GetSeparation(m_point, lat, lon);
  }

  // point LAT LON HEIGHT from REF, the texts as typed
  void Point(const CWords& w) {
    Begin(&CCaseTest::ExpectPoint);
    m_outcome = m_pointTransform.Compute(w[1], w[2], w[3], w[5], &m_grid);
    if (m_outcome != CPointTransform::Outcome::Done) {
      EXPECT_TRUE(m_pointTransform.GetRows().empty());
    }
  }

  void Expect(const CWords& w) {
    if (m_expect == nullptr) throw std::runtime_error("expect follows an operation");
    (this->*m_expect)(w);
  }

  void Near(double value, const std::string& expected, const std::string& what) {
    EXPECT_NEAR(value, Number(expected), m_tolerance) << what;
  }

  // After interpolate or carry: outside, the height carried, one value for every surface
  // or SURFACE VALUE pairs.
  void ExpectAnswer(const CWords& w) {
    if (w[1] == "outside") {
      EXPECT_FALSE(m_inside);
      EXPECT_EQ(std::count(m_point.m_codes.begin(), m_point.m_codes.end(), kUntouched), CDataPt::kSurfaceCount);
      return;
    }
    ASSERT_TRUE(m_inside);
    if (m_height) return Near(*m_height, w.at(1), "height");
    for (int k = 0; w.size() == 2 && k < CDataPt::kSurfaceCount; ++k)
      Near(m_point.GetValue(k), w[1], "surface " + std::to_string(k));
    for (std::size_t i = 1; w.size() > 2 && i < w.size(); i += 2)
      Near(m_point.GetValue(Reference(w[i]).GetSurfaceRead()), w.at(i + 1), w[i]);
  }

  // After point: its message, the rows' order, a row's values or the ellipsoidal height.
  void ExpectPoint(const CWords& w) {
    if (w[1] == "message") {
      EXPECT_EQ(CPointTransform::GetMessage(m_outcome), w.at(2));
      return;
    }
    ASSERT_EQ(m_outcome, CPointTransform::Outcome::Done) << CPointTransform::GetMessage(m_outcome);
    const std::vector<CPointRow>& rows = m_pointTransform.GetRows();
    if (w[1] == "order") {
      // The rows of the references named, in the order listed (the others skipped).
      CWords names, expected;
      for (std::size_t i = 2; i < w.size(); ++i) expected.push_back(Reference(w[i]).GetName());
      for (const CPointRow& row : rows)
        if (std::find(expected.begin(), expected.end(), row.m_name) != expected.end()) names.push_back(row.m_name);
      EXPECT_EQ(names, expected);
    } else if (w[1] == "row") {
      const std::string& name = Reference(w.at(2)).GetName();
      const auto row = std::find_if(rows.begin(), rows.end(), [&](const CPointRow& r) { return r.m_name == name; });
      ASSERT_NE(row, rows.end()) << name;
      Near(row->m_separation, w.at(3), "separation of " + name);
      Near(row->m_height, w.at(4), "height above " + name);
    } else if (w[1] == "ellipsoid") {
      Near(m_pointTransform.GetEllipsoidHeight(), w.at(2), "ellipsoidal height");
    } else {
      throw std::runtime_error("expect message, order, row or ellipsoid after point");
    }
  }

  std::vector<CLine> m_lines;
  std::pair<double, double> m_origin{0, 0};  // latitude, longitude
  double m_spacing = 1;
  std::pair<int, int> m_size{0, 0};  // rows, columns
  std::optional<double> m_fill;
  std::map<int, std::vector<std::optional<double>>> m_rowValues;  // "row" lines, over the fill
  std::array<double, CDataPt::kSurfaceCount> m_surfaces{};
  double m_sign = 1.0, m_tolerance = 0.001;
  CGridInt m_grid;
  void (CCaseTest::*m_expect)(const CWords&) = nullptr;  // for the last operation's "expect" lines
  bool m_inside = false;
  CDataPt m_point;
  std::optional<double> m_height;  // carried
  CPointTransform m_pointTransform;
  CPointTransform::Outcome m_outcome{};
};

// The cases of a .cases file, each as its lines: its "case" line, the lines of the grid
// defined last and the settings given before it (so that it runs on its own), its own.
std::vector<std::vector<CLine>> ReadCases(const fs::path& path) {
  std::ifstream in(path);
  std::vector<std::vector<CLine>> cases;
  std::vector<CLine> gridLines, settings;
  bool inCase = false;
  int number = 0;
  for (std::string text; std::getline(in, text);) {
    CLine line{SplitWords(text), path.filename().string() + ":" + std::to_string(++number)};
    const std::string key = line.words.empty() ? "" : line.words[0];
    if (key == "case") {
      const std::string name = line.words.size() == 2 ? line.words[1] : "";
      if (name.empty() || name.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789_") != std::string::npos ||
          std::any_of(cases.begin(), cases.end(), [&](const auto& c) { return c[0].words[1] == name; }))
        throw std::runtime_error(line.where + ": a case needs a new name of lower case letters, digits and _");
      cases.push_back({line});
      cases.back().insert(cases.back().end(), gridLines.begin(), gridLines.end());
      cases.back().insert(cases.back().end(), settings.begin(), settings.end());
      inCase = true;
    } else if (!key.empty()) {
      if (key == "grid") {
        gridLines.clear();
        inCase = false;
      }
      (inCase ? cases.back() : key == "sign" || key == "tolerance" ? settings : gridLines).push_back(line);
    }
  }
  return cases;
}

// Registers every case of every .cases file; a file that cannot be read is one failing
// test that says why.
const bool g_registered = [] {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(MAREVERT_SOURCE_DIR "/tests/data"))
    if (entry.path().extension() == ".cases") files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  for (const fs::path& file : files) {
    std::vector<std::vector<CLine>> cases;
    try {
      cases = ReadCases(file);
    } catch (const std::exception& e) {
      cases = {{{{"case", "reads_as_cases"}, file.string()}, {{"unreadable", e.what()}, file.string()}}};
    }
    for (const std::vector<CLine>& lines : cases)
      ::testing::RegisterTest(file.stem().c_str(), lines[0].words[1].c_str(), nullptr, nullptr, lines[0].where.c_str(),
                              0, [lines] { return new CCaseTest(lines); });
  }
  return true;
}();

}  // namespace
