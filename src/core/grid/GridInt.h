#pragma once
// The grid model: one binary grid file in memory. A regular latitude/longitude lattice
// with spacing m_gridSize degrees; row r lies at latitude m_minLat + r * m_gridSize
// (row 0 is the south edge), column c at longitude m_minLon + c * m_gridSize (column 0
// is the west edge). The lattice is sparse: a node without data has no entry.
//
// "Outside" (Interpolate answers false) covers every position the grid cannot answer:
// no grid loaded, a position beyond the extents, or no complete cell around it.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "core/grid/DataPt.h"

class CGridInt {
 public:
  // One stored node of a row: its column index and its codes.
  struct Node {
    std::int32_t column;
    CDataPt point;
  };
  // A row is a flat array of nodes sorted by column (see SortRow for the insert rule).
  using Row = std::vector<Node>;

  // A position closer than this to a lattice line counts as lying on it, in decimal
  // degrees (about 0.1 m on the ground).
  static constexpr double kOnLineTolerance = 8.983e-7;

  CGridInt() = default;
  // A copy indexes its own rows (the row records point into the rows they describe).
  CGridInt(const CGridInt& other);
  CGridInt& operator=(const CGridInt& other);
  CGridInt(CGridInt&&) noexcept = default;
  CGridInt& operator=(CGridInt&&) noexcept = default;

  // Reads a binary grid file as the job "Marevert - Reading grid file" through the
  // installed job runner (no Cancel), replacing this model's contents. Failures are
  // shown through the installed messenger; success shows in IsLoaded and GetFilePath.
  void LoadFile(const std::string& path);

  // No rows, empty path, every header number zero. The coding values stay.
  void Reset();
  // Grid size > 0 and at least 2 rows.
  bool IsLoaded() const;
  // The node at (row, column), or null when there is none.
  const CDataPt* GetNode(std::int32_t row, std::int32_t column) const;
  // Bilinear interpolation of the 14 surfaces at a position in decimal degrees into
  // `result`. False (result unchanged) when the position is outside the grid, including
  // a non-finite latitude or longitude.
  bool Interpolate(double latitude, double longitude, CDataPt& result) const;

  // Interpolate in two steps, for callers that work through many positions: finding
  // the cell starts fetching its corners from memory, so finding the cells of a batch
  // first lets those fetches overlap; each result is exactly Interpolate's.
  //
  // The cell that answers a position: its two corner pairs (each a west node followed
  // by its east neighbour) and the area weights of its corners. Valid while the model
  // is not changed.
  struct Cell {
    const Node* southPair;
    const Node* northPair;
    double wSW, wSE, wNW, wNE, area;
    std::int32_t row, column;  // the cell's south-west node
  };
  // False when the position is outside the grid (as Interpolate). `previous`, a cell
  // this model located before, spares the node search when the position lies in the
  // same cell (points along a survey track mostly do). It may be `cell` itself, also
  // after a call that answered false (which leaves `cell` as it was): it is read before
  // `cell` is written.
  bool LocateCell(double latitude, double longitude, Cell& cell, const Cell* previous = nullptr) const;
  // The last lattice row and column the model answers on, where LocateCell snaps the
  // far extents: the line an extent lies on (within kOnLineTolerance), else the first
  // line beyond it, whose cell holds the edge; rows no further than the row table. In
  // double, as a damaged header may give any value (NaN included); for a loaded model.
  double LastRow() const;
  double LastColumn() const;

  // The complete cells (all four corners stored: the cells LocateCell answers from) of
  // cell row `row`, between lattice rows `row` and `row` + 1, whose columns lie in
  // first..last: spans of consecutive cells in column order. `south` is the south-west
  // corner of cell `first`, and the corners of the cells after it follow it in its row;
  // `north` is its north-west corner, likewise. Valid while the model is not changed.
  struct CellSpan {
    std::int32_t first, last;
    const Node* south;
    const Node* north;
  };
  void FindCompleteCells(std::int32_t row, std::int32_t first, std::int32_t last, std::vector<CellSpan>& spans) const;

  // All fourteen surfaces of a located cell.
  void InterpolateCell(const Cell& cell, CDataPt& result) const;
  // Only the `count` listed surfaces (indices 0..13; others are ignored); the other
  // codes of `result` stay as they were. For callers that read one or two surfaces.
  void InterpolateCell(const Cell& cell, const int* surfaces, int count, CDataPt& result) const;
  // A code decoded under the model's coding values (see SetCoding), exactly as
  // CDataPt::GetValue decodes (from the model's table while it holds, which saves a
  // division).
  float DecodeValue(std::uint16_t code) const {
    const Coding coding = GetCoding();
    if (const float* table = DecodeTable(coding)) return table[code];
    return CDataPt::Decode(code, coding.offset, coding.scale);
  }

  // Coding values: value = code / scale + offset (metres, codes per metre). The
  // programs keep them class-wide (CDataPt::s_offset, s_scale), and a model follows
  // those in force when it interpolates. A model given its own (a grid read for a
  // library caller, where several grids live side by side) decodes and codes with
  // them whatever the class-wide values are. Reset keeps them.
  struct Coding {
    float offset, scale;
  };
  void SetCoding(const Coding& coding);
  bool HasOwnCoding() const { return m_ownCoding; }
  Coding GetCoding() const { return m_ownCoding ? m_coding : Coding{CDataPt::s_offset, CDataPt::s_scale}; }

  // The lines shown on the grid file page.
  std::vector<std::string> GetDetails() const;
  // Shows the grid-age notice through the messenger when the grid is 184 days or older.
  void CheckAge() const;
  // The same check against a given current time (the tests fix "now").
  void CheckAge(std::time_t now) const;

  const std::string& GetFilePath() const { return m_filePath; }
  double GetMaxLat() const { return m_maxLat; }
  double GetMinLat() const { return m_minLat; }
  double GetMaxLon() const { return m_maxLon; }
  double GetMinLon() const { return m_minLon; }
  double GetGridSize() const { return m_gridSize; }
  int GetMajorVersion() const { return m_majorVersion; }
  int GetMinorVersion() const { return m_minorVersion; }
  int GetYear() const { return m_year; }
  int GetMonth() const { return m_month; }
  int GetDay() const { return m_day; }
  std::size_t GetRowCount() const { return m_rows.size(); }
  const Row& GetRow(std::size_t r) const { return m_rows[r]; }

  // Building a model in memory (the reader, the grid generator and tests).
  struct Header {
    int majorVersion = 0, minorVersion = 0;
    int year = 0, month = 0, day = 0;
    double gridSize = 0, minLat = 0, maxLat = 0, minLon = 0, maxLon = 0;
  };
  void SetHeader(const Header& header);
  void SetFilePath(const std::string& path) { m_filePath = path; }
  // Discards all rows and makes `count` empty rows.
  void SetRowCount(std::size_t count);
  // Stores a node; a later node with the same column replaces the earlier one.
  void SetNode(std::int32_t row, std::int32_t column, const CDataPt& point);
  // Gives direct access to a row while filling it; call SortRow afterwards (until then
  // lookups in the row fall back to searching it).
  Row& MutableRow(std::size_t r) {
    m_refs[r].runCount = kUnindexed;
    return m_rows[r];
  }
  // Sorts a row filled through MutableRow by column; of nodes with the same column the
  // one appended last wins.
  void SortRow(std::size_t r);

 private:
  // Where each run of consecutive columns of a row starts.
  struct Run {
    std::int32_t column;  // first column of the run
    std::int32_t index;   // its position in the row
  };
  static constexpr std::int32_t kInlineRuns = 5;
  static constexpr std::int32_t kUnindexed = -1;
  // Everything a lookup needs about one row in one cache line: the row's nodes and its
  // runs (inline when there are few, the usual case), so that finding a node costs this
  // record and the node itself, and whether a cell's east neighbour exists is known
  // before any node is read.
  struct alignas(64) RowRef {
    const Node* nodes = nullptr;
    std::int32_t size = 0;
    std::int32_t runCount = 0;  // kUnindexed while the row is filled through MutableRow
    Run inlineRuns[kInlineRuns] = {};
  };
  void IndexRow(std::size_t r);
  void AddRun(std::size_t r, const Run& run);
  const Run* Runs(std::size_t r) const {
    const RowRef& ref = m_refs[r];
    return ref.runCount <= kInlineRuns ? ref.inlineRuns : m_moreRuns[r].data();
  }
  // The runs of row r and its nodes, also while the row is filled through MutableRow
  // (its runs are then found into `scratch`).
  const Run* RunsOf(std::size_t r, std::vector<Run>& scratch, std::int32_t& count, const Node*& nodes) const;
  // The position in row r of `column`, or -1. With `pair`, only when column + 1 is
  // present too (the next node then holds it).
  std::ptrdiff_t FindNode(std::size_t r, std::int32_t column, bool pair) const;
  // The same by searching the sorted row itself.
  static std::ptrdiff_t FindColumn(const Row& row, std::int32_t column);
  // The south-west corner of cell (row, column) and, in `north`, its north-west corner;
  // the east corners follow each in its row. Null when a corner is missing.
  const Node* FindCell(std::int32_t row, std::int32_t column, const Node*& north) const;

  std::string m_filePath;
  double m_maxLat = 0, m_minLat = 0, m_maxLon = 0, m_minLon = 0, m_gridSize = 0;
  int m_majorVersion = 0, m_minorVersion = 0, m_year = 0, m_month = 0, m_day = 0;
  std::vector<Row> m_rows;
  std::vector<RowRef> m_refs;                // one per row
  std::vector<std::vector<Run>> m_moreRuns;  // all of a row's runs, when they do not fit inline

  // GetValue of every code under the coding values in force when the row table was
  // made (SetRowCount, SetCoding); used only while those values still hold. Models of
  // the same coding values share one table (made once, never changed).
  // The table when it holds for `coding` (GetCoding), else null. Compared bit for bit:
  // a table made for a scale of 0 does not serve one of -0.
  const float* DecodeTable(const Coding& coding) const {
    const bool holds = m_decoded &&
                       std::bit_cast<std::uint32_t>(m_decodedOffset) == std::bit_cast<std::uint32_t>(coding.offset) &&
                       std::bit_cast<std::uint32_t>(m_decodedScale) == std::bit_cast<std::uint32_t>(coding.scale);
    return holds ? m_decoded.get() : nullptr;
  }
  // Makes the table for the coding values now in force, unless it holds already.
  void MakeDecodeTable();
  std::shared_ptr<const float[]> m_decoded;
  float m_decodedOffset = 0, m_decodedScale = 0;
  bool m_ownCoding = false;
  Coding m_coding{0.0f, 100.0f};
};
