#include "core/files/FileText.h"

#include <cmath>
#include <cstring>

#include "core/common/InputStream.h"
#include "core/common/NumberText.h"
#include "core/common/OutputStream.h"
#include "core/files/TextPipeline.h"
#include "core/jobs/ProcessBase.h"

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

// What becomes of a line: the first two it may be once read, the last once transformed.
enum LineKind : unsigned char { kLineUnreadable, kLineOutside, kLineTransformed };
constexpr unsigned char kPlusBeforeValue = 1;  // flag: a "+" stands right before the value

// Reads a line's three numbers and decides which is which from the values (see the
// class comment). A point that may be inside goes to `points` as unit `unit`, and the
// outcome gets where its value's text lies.
LineKind ClassifyLine(const char* begin, const char* end, CTextOutcome& outcome, CTextPipeline::Batch& points,
                      std::size_t unit) {
  const CLineNumbers n = ParseLine(begin, end);
  if (!n.secondParsed || !n.thirdParsed) return kLineUnreadable;
  double a = 0, b = 0;  // longitude or easting, latitude or northing
  if (!std::isfinite(n.x) || !std::isfinite(n.y) || !std::isfinite(n.z)) {
    return kLineOutside;  // a "nan" or "inf" in a coordinate or value is a point outside the grid
  } else if (std::fabs(n.x) > CFileBase::kMapGridThreshold && std::fabs(n.y) > CFileBase::kMapGridThreshold) {
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
    return kLineUnreadable;  // northern latitude or western longitude
  }
  // The third number is replaced from its first sign, point or digit, so that blanks
  // and commas before it stay.
  const char* start = n.afterSecond;
  while (start < n.thirdEnd && !std::strchr("-.0123456789", *start)) ++start;
  outcome.keep = static_cast<std::uint32_t>(start - begin);
  outcome.resume = static_cast<std::uint32_t>(n.thirdEnd - begin);
  if (start > n.afterSecond && start[-1] == '+') outcome.flags = kPlusBeforeValue;
  points.Add(unit, a, b, n.z);
  return kLineOutside;
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

  const auto read = [&input](std::string_view& line, CTextOutcome&) { return input.ReadLine(line); };
  const auto transform = [&](CTextPipeline::Piece& lines) {
    CTextPipeline::Batch& points = lines.Points();
    for (std::size_t i = 0; i < lines.Count(); ++i) {
      const std::string_view line = lines.Unit(i);
      CTextOutcome& outcome = lines.Outcome(i);
      outcome.kind = ClassifyLine(line.data(), line.data() + line.size(), outcome, points, i);
    }
    TransformPoints(points.count, points.a, points.b, points.z, points.transformed, task.grid, task.inRef, task.zone,
                    task.outRef, points.point, nullptr, points.given);
    lines.SetCarried(kLineTransformed);
  };

  CProgressThrottle throttle;
  std::uint64_t lineCount = 0;
  const auto write = [&](const CTextPipeline::Unit& line) {
    const CTextOutcome& outcome = line.outcome;
    if (outcome.kind == kLineUnreadable) return kFileInputError;
    if (outcome.kind == kLineTransformed) {
      m_separation.Add(outcome.given);
      // A "+" in front survives only for a value that is not negative ("+-0.27" could
      // not be read back).
      const std::size_t keep = outcome.keep - (line.number[0] == '-' && (outcome.flags & kPlusBeforeValue));
      if (!transformedFile.Write(line.text.data(), keep) || !transformedFile.Write(line.number) ||
          !transformedFile.Write(line.text.substr(outcome.resume)))
        return kFileOutputError;
      ++task.transformed;
    } else {
      if (!excludedFile.Write(line.text)) return kFileOutputError;
      ++task.outside;
    }
    if (++lineCount % kProgressInterval == 0 && ReportProgressRead(task.process, throttle, line.position, input))
      return kFileCancelled;
    return kFileDone;
  };
  CTextPipeline lines;
  return lines.Run(input, read, transform, write);
}
