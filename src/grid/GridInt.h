#pragma once
// The grid model: one binary grid file in memory. A regular latitude/longitude lattice
// with spacing m_gridSize degrees; row r lies at latitude m_minLat + r * m_gridSize
// (row 0 is the south edge), column c at longitude m_minLon + c * m_gridSize (column 0
// is the west edge). The lattice is sparse: a node without data has no entry.
//
// "Outside" (Interpolate answers false) covers every position the grid cannot answer:
// no grid loaded, a position beyond the extents, or no complete cell around it.

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "grid/DataPt.h"

class CGridInt {
 public:
  // One stored node of a row: its column index and its codes.
  struct Node {
    std::int32_t column;
    CDataPt point;
  };
  // A row is a flat array of nodes sorted by column (see SortRow for the insert rule).
  using Row = std::vector<Node>;

  CGridInt() = default;

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
    m_index[r].valid = false;
    return m_rows[r];
  }
  // Sorts a row filled through MutableRow by column; of nodes with the same column the
  // one appended last wins.
  void SortRow(std::size_t r);

 private:
  // Where each run of consecutive columns of a row starts, so that finding a node
  // costs one small search in cached memory and one access to the node itself.
  struct Run {
    std::int32_t column;  // first column of the run
    std::int32_t index;   // its position in the row
  };
  // A row's runs, kept inline when there are few (the usual case) so that a lookup
  // touches no memory beyond this table before it reaches the node itself.
  struct RowIndex {
    static constexpr std::int32_t kInlineRuns = 4;
    Run inlineRuns[kInlineRuns];
    std::vector<Run> moreRuns;  // all the runs, when there are more than kInlineRuns
    std::int32_t count = 0;
    bool valid = true;  // false while the row is being filled through MutableRow
    const Run* Runs() const { return count <= kInlineRuns ? inlineRuns : moreRuns.data(); }
    void Add(const Run& run);
  };
  void IndexRow(std::size_t r);
  // The position of `column` in row r, or -1.
  std::ptrdiff_t FindNode(std::size_t r, std::int32_t column) const;
  // The same by searching the sorted row itself.
  static std::ptrdiff_t FindColumn(const Row& row, std::int32_t column);
  // The four corners of cell (row, column): south-west, south-east, north-west,
  // north-east. False when one of them is missing.
  bool GetCell(std::int32_t row, std::int32_t column, const CDataPt* corners[4]) const;

  std::string m_filePath;
  double m_maxLat = 0, m_minLat = 0, m_maxLon = 0, m_minLon = 0, m_gridSize = 0;
  int m_majorVersion = 0, m_minorVersion = 0, m_year = 0, m_month = 0, m_day = 0;
  std::vector<Row> m_rows;
  std::vector<RowIndex> m_index;  // one per row

  // GetValue of every code under the coding values in force when the row table was
  // made (SetRowCount), so interpolation looks values up instead of dividing. Used
  // only while those coding values still hold.
  std::vector<double> m_decoded;
  float m_decodedOffset = 0, m_decodedScale = 0;
};
