#include "files/FileESRIGrid.h"

#include <array>
#include <string>

#include "common/ClassicText.h"
#include "files/InputStream.h"
#include "files/NumberText.h"
#include "files/OutputStream.h"
#include "files/TextLine.h"
#include "process/ProcessBase.h"

namespace {

constexpr int kHeaderLines = 6;

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
  // keyword (xllcenter, ...) is taken as the centre already.
  const double x0 = h.xll + (EqualsNoCase(h.xKeyword, "XLLCORNER") ? h.cellSize / 2 : 0.0);
  double y = static_cast<double>(h.nrows - 1) * h.cellSize + h.yll +
             (EqualsNoCase(h.yKeyword, "YLLCORNER") ? h.cellSize / 2 : 0.0);
  const std::string noData = h.noData + " ";

  CProgressThrottle throttle;
  char number[kFixed2Capacity + 1];
  std::string_view token;
  for (long long i = 0; i < h.nrows; ++i) {
    double x = x0;
    for (long long j = 0; j < h.ncols; ++j) {
      if (!input.ReadToken(token)) return kFileInputError;
      bool ok = true;
      if (token == h.noData) {
        ok = transformedFile.Write(noData) && excludedFile.Write(noData);
      } else {
        double z = 0;
        ParseNumber(token.data(), token.data() + token.size(), z);
        if (TransformPoint(x, y, task.grid, task.inRef, task.zone, task.outRef, z)) {
          std::size_t length = FormatFixed2(z, number);
          number[length++] = ' ';
          ok = transformedFile.Write(number, length) && excludedFile.Write(noData);
          ++task.transformed;
        } else {
          ok = transformedFile.Write(noData) && excludedFile.Write(token) && excludedFile.Write(" ", 1);
          ++task.outside;
        }
      }
      if (!ok) return kFileOutputError;
      x += h.cellSize;
    }
    if (ReportProgress(task.process, throttle, i * 100 / h.nrows)) return kFileCancelled;
    y -= h.cellSize;
  }
  return kFileDone;  // a read error is settled by Settle
}
