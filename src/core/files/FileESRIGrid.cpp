#include "core/files/FileESRIGrid.h"

#include <array>
#include <string>

#include "core/common/InputStream.h"
#include "core/common/NumberText.h"
#include "core/common/OutputStream.h"
#include "core/common/TextLine.h"
#include "core/files/TextPipeline.h"
#include "core/jobs/ProcessBase.h"

namespace {

constexpr int kHeaderLines = 6;

// What becomes of a cell: the first two it may be once read, the last once transformed.
enum CellKind : unsigned char { kCellNoData, kCellOutside, kCellTransformed };

// The C library's text-to-number conversions of a header value, in the "C" locale.
long long ToInteger(std::string_view text) { return ClassicStrtoll(std::string(text).c_str(), nullptr, 10); }
double ToDouble(std::string_view text) { return ClassicStrtod(std::string(text).c_str(), nullptr); }

struct CGridHeader {
  long long ncols = 0, nrows = 0;
  double xll = 0, yll = 0, cellSize = 0;
  std::string xKeyword, yKeyword, noData;
};

// Checks the six header lines in their fixed order.
bool ParseHeader(const std::array<std::string, kHeaderLines>& lines, CGridHeader& h) {
  if (!EqualsNoCase(FirstToken(lines[0]), "ncols")) return false;
  h.ncols = ToInteger(AfterFirstToken(lines[0]));
  if (!EqualsNoCase(FirstToken(lines[1]), "nrows")) return false;
  h.nrows = ToInteger(AfterFirstToken(lines[1]));
  if (!EqualsNoCase(std::string_view(lines[2]).substr(0, 3), "xll")) return false;
  h.xKeyword = FirstToken(lines[2]);
  h.xll = ToDouble(AfterFirstToken(lines[2]));
  if (!EqualsNoCase(std::string_view(lines[3]).substr(0, 3), "yll")) return false;
  h.yKeyword = FirstToken(lines[3]);
  h.yll = ToDouble(AfterFirstToken(lines[3]));
  if (!EqualsNoCase(FirstToken(lines[4]), "cellsize")) return false;
  h.cellSize = ToDouble(AfterFirstToken(lines[4]));
  if (!EqualsNoCase(FirstToken(lines[5]), "NODATA_value")) return false;
  h.noData = Trim(AfterFirstToken(lines[5]));
  // A grid without a row or a column is not a grid (and would end without output).
  return h.ncols >= 1 && h.nrows >= 1;
}

}  // namespace

bool CFileESRIGrid::CanRead(const std::string& path) {
  CInputStream input;
  if (!input.Open(path, CInputStream::kSmallBlockSize)) return false;
  std::string_view line;
  if (!input.ReadLine(line) || !EqualsNoCase(FirstToken(line), "ncols")) return false;
  return input.ReadLine(line) && EqualsNoCase(FirstToken(line), "nrows");
}

FileResult CFileESRIGrid::Run(Streams& files, const Task& task) {
  CInputStream& input = files.input;
  COutputStream& transformedFile = files.transformedFile;
  COutputStream& excludedFile = files.excludedFile;
  std::array<std::string, kHeaderLines> lines;
  for (auto& text : lines) {
    std::string_view line;
    if (!input.ReadLine(line)) return kFileInputError;
    text = line;
    if (!transformedFile.Write(line) || !excludedFile.Write(line)) return kFileOutputError;
  }
  CGridHeader h;
  if (!ParseHeader(lines, h)) return kFileInputError;

  PrepareTransform(task.inRef, task.outRef);
  // Cell centres: a corner keyword moves the reference half a cell in; any other xll/yll
  // keyword (xllcenter, ...) is taken as the centre already. Each centre is the one
  // before plus a cell, as the cells are read.
  const double x0 = h.xll + (EqualsNoCase(h.xKeyword, "XLLCORNER") ? h.cellSize / 2 : 0.0);
  double y = static_cast<double>(h.nrows - 1) * h.cellSize + h.yll +
             (EqualsNoCase(h.yKeyword, "YLLCORNER") ? h.cellSize / 2 : 0.0);
  double x = x0;
  long long readRow = 0, readColumn = 0;
  const auto read = [&](std::string_view& token, CTextOutcome& cell) {
    if (readRow == h.nrows || !input.ReadToken(token)) return false;
    cell.a = x;
    cell.b = y;
    x += h.cellSize;
    if (++readColumn == h.ncols) {
      readColumn = 0;
      ++readRow;
      x = x0;
      y -= h.cellSize;
    }
    return true;
  };

  const auto transform = [&](CTextPipeline::Piece& cells) {
    CTextPipeline::Batch& points = cells.Points();
    for (std::size_t i = 0; i < cells.Count(); ++i) {
      const std::string_view token = cells.Unit(i);
      CTextOutcome& cell = cells.Outcome(i);
      if (token == h.noData) {
        cell.kind = kCellNoData;
        continue;
      }
      cell.kind = kCellOutside;
      double z = 0;
      ParseNumber(token.data(), token.data() + token.size(), z);
      points.Add(i, cell.a, cell.b, z);
    }
    TransformPoints(points.count, points.a, points.b, points.z, points.transformed, task.grid, task.inRef, task.zone,
                    task.outRef, points.point, nullptr, points.given);
    cells.SetCarried(kCellTransformed, " ");
  };

  const std::string noData = h.noData + " ";
  CProgressThrottle throttle;
  long long row = 0, column = 0;
  const auto write = [&](const CTextPipeline::Unit& cell) {
    bool ok = true;
    if (cell.outcome.kind == kCellNoData) {
      ok = transformedFile.Write(noData) && excludedFile.Write(noData);
    } else if (cell.outcome.kind == kCellTransformed) {
      m_separation.Add(cell.outcome.given);
      ok = transformedFile.Write(cell.number) && excludedFile.Write(noData);
      ++task.transformed;
    } else {
      ok = transformedFile.Write(noData) && excludedFile.Write(cell.text) && excludedFile.Write(" ", 1);
      ++task.outside;
    }
    if (!ok) return kFileOutputError;
    if (++column == h.ncols) {
      column = 0;
      if (ReportProgress(task.process, throttle, row * 100 / h.nrows)) return kFileCancelled;
      ++row;
    }
    return kFileDone;
  };
  CTextPipeline cells;
  const FileResult result = cells.Run(input, read, transform, write);
  // A file that ends before its last cell does not follow the format; a read error is
  // settled by Settle.
  return result == kFileDone && row < h.nrows ? kFileInputError : result;
}
