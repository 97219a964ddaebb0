#include "files/FileText.h"

#include <cmath>
#include <cstring>

#include "files/InputStream.h"
#include "files/NumberText.h"
#include "files/OutputStream.h"
#include "process/ProcessBase.h"

namespace {

constexpr std::uint64_t kProgressInterval = 100;  // lines

// The three leading numbers of a line and where their texts lie.
struct CLineNumbers {
  double x = 0, y = 0, z = 0;
  const char* afterFirst = nullptr;   // after the first number and its comma
  const char* afterSecond = nullptr;  // after the second number and its comma
  const char* thirdEnd = nullptr;     // after the third number
  bool secondParsed = false, thirdParsed = false;
};

// Steps over one comma that follows a number, allowing blanks before it ("x , y , z").
// Without a comma the position stays where the number ended.
const char* SkipComma(const char* p, const char* end) {
  const char* q = p;
  while (q < end && (*q == ' ' || *q == '\t')) ++q;
  return q < end && *q == ',' ? q + 1 : p;
}

CLineNumbers ParseLine(const char* begin, const char* end) {
  CLineNumbers n;
  n.afterFirst = SkipComma(ParseNumber(begin, end, n.x), end);
  const char* second = ParseNumber(n.afterFirst, end, n.y);
  n.secondParsed = second != n.afterFirst;
  n.afterSecond = SkipComma(second, end);
  n.thirdEnd = ParseNumber(n.afterSecond, end, n.z);
  n.thirdParsed = n.thirdEnd != n.afterSecond;
  return n;
}

}  // namespace

bool CFileText::CanRead(const std::string& path) {
  CInputStream input;
  if (!input.Open(path, CInputStream::kSmallBlockSize)) return false;
  std::string_view line;
  if (!input.ReadLine(line)) return false;
  const char* begin = line.data();
  const char* end = begin + line.size();
  double value = 0;
  const char* afterFirst = SkipComma(ParseNumber(begin, end, value), end);
  const char* afterSecond = SkipComma(ParseNumber(afterFirst, end, value), end);
  const char* afterThird = ParseNumber(afterSecond, end, value);
  return afterSecond != afterFirst && afterThird != afterSecond;
}

FileResult CFileText::Run(Streams& files, const Task& task) {
  CInputStream& input = files.input;
  COutputStream& transformedFile = files.transformedFile;
  COutputStream& excludedFile = files.excludedFile;
  PrepareTransform(task.inRef, task.outRef);

  FileResult result = kFileDone;
  CProgressThrottle throttle;
  std::uint64_t lineCount = 0;
  char number[kFixed2Capacity];
  std::string_view line;
  while (input.ReadLine(line)) {
    const char* begin = line.data();
    const char* end = begin + line.size();
    const CLineNumbers n = ParseLine(begin, end);
    if (!n.secondParsed || !n.thirdParsed) {
      result = kFileInputError;
      break;
    }
    // Decide which number is which from the values (see the class comment).
    double a = 0, b = 0;  // longitude or easting, latitude or northing
    bool finite = std::isfinite(n.x) && std::isfinite(n.y) && std::isfinite(n.z);
    if (!finite) {
      // A "nan" or "inf" in a coordinate or value is a point outside the grid.
    } else if (std::fabs(n.x) > kMapGridThreshold && std::fabs(n.y) > kMapGridThreshold) {
      // Map-grid coordinates in either order: the smaller magnitude is the easting.
      const bool xIsEasting = std::fabs(n.x) < std::fabs(n.y);
      a = xIsEasting ? n.x : n.y;
      b = xIsEasting ? n.y : n.x;
    } else if (n.x <= 0 && n.y >= 0) {
      a = n.y;  // latitude first
      b = n.x;
    } else if (n.y <= 0 && n.x >= 0) {
      a = n.x;  // longitude first
      b = n.y;
    } else {
      result = kFileInputError;  // northern latitude or western longitude
      break;
    }
    double z = n.z;
    if (finite && TransformPoint(a, b, task.grid, task.inRef, task.zone, task.outRef, z)) {
      // Replace the third number from its first sign, point or digit, so that blanks
      // and commas before it stay; a "+" in front survives only for a value that is
      // not negative ("+-0.27" could not be read back).
      const char* start = n.afterSecond;
      while (start < n.thirdEnd && !std::strchr("-.0123456789", *start)) ++start;
      const std::size_t length = FormatFixed2(z, number);
      const char* prefixEnd = start;
      if (number[0] == '-' && prefixEnd > n.afterSecond && prefixEnd[-1] == '+') --prefixEnd;
      if (!transformedFile.Write(begin, static_cast<std::size_t>(prefixEnd - begin)) ||
          !transformedFile.Write(number, length) ||
          !transformedFile.Write(n.thirdEnd, static_cast<std::size_t>(end - n.thirdEnd))) {
        result = kFileOutputError;
        break;
      }
      ++task.transformed;
    } else {
      if (!excludedFile.Write(line)) {
        result = kFileOutputError;
        break;
      }
      ++task.outside;
    }
    if (++lineCount % kProgressInterval == 0) {
      if (ReportProgressRead(task.process, throttle, input)) {
        result = kFileCancelled;
        break;
      }
    }
  }
  return result;
}
