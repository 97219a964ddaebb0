#include "core/files/FileHTF.h"

#include <cmath>
#include <cstdio>
#include <optional>
#include <string>

#include "core/common/FileHandle.h"
#include "core/common/InputStream.h"
#include "core/common/NumberText.h"
#include "core/common/OutputStream.h"
#include "core/common/TextLine.h"
#include "core/files/TextPipeline.h"
#include "core/jobs/ProcessBase.h"
#include "core/trans/CoordConv.h"

namespace {

constexpr std::size_t kMinMaskLength = 12;
constexpr int kLastMaskField = 9;
constexpr std::uint64_t kProgressInterval = 100;  // records
constexpr const char* kTotalsKey = "TOTAL SOUNDINGS:";
constexpr const char* kValidTotalsKey = "TOTAL VALID SOUNDINGS:";
constexpr std::string_view kEndLine = "END OF SOUNDING DATA";

enum class CopyEnd { kFound, kEndOfFile, kWriteFailed };

// Copies header lines to both outputs up to and including the first line that begins
// with `prefix`, which is left in `found`.
CopyEnd CopyHeaderUntil(CInputStream& input, COutputStream& first, COutputStream& second, std::string_view prefix,
                        std::string& found) {
  std::string_view line;
  while (input.ReadLine(line)) {
    if (!first.Write(line) || !second.Write(line)) return CopyEnd::kWriteFailed;
    if (StartsWith(line, prefix)) {
      found = line;
      return CopyEnd::kFound;
    }
  }
  return CopyEnd::kEndOfFile;
}

int ToInteger(std::string_view text) { return ClassicAtoi(std::string(text).c_str()); }

double ToDouble(std::string_view text) {
  double value = 0;
  ParseNumber(text.data(), text.data() + text.size(), value);
  return value;
}

bool HasStar(std::string_view field) { return field.find('*') != std::string_view::npos; }

// Copies the header to both outputs up to and including the field-mask line, keeping
// the "GRID ZONE:" line and the mask line.
FileResult CopyHeader(CInputStream& input, COutputStream& first, COutputStream& second, std::string& zoneLine,
                      std::string& maskLine) {
  std::string soundingLine;
  CopyEnd end = CopyHeaderUntil(input, first, second, "GRID ZONE:", zoneLine);
  if (end == CopyEnd::kFound) end = CopyHeaderUntil(input, first, second, "SOUNDING DATA", soundingLine);
  if (end != CopyEnd::kFound) return end == CopyEnd::kEndOfFile ? kFileInputError : kFileOutputError;
  // Looking for the mask, a failed write counts as a header without one, as it always has.
  return CopyHeaderUntil(input, first, second, "[", maskLine) == CopyEnd::kFound ? kFileDone : kFileInputError;
}

// What the header tells about the records.
struct CHtfHeader {
  std::optional<int> zone;          // the map-grid zone the "GRID ZONE:" line names, if any
  std::string mask;                 // character k (the "[" being 0): whether record field k is present
  int firstPos = 0, secondPos = 0;  // the two position fields
};

// Reads the "GRID ZONE:" line and the field-mask line. False when the mask is too short
// or marks neither pair of position fields.
bool ParseHeader(std::string_view zoneLine, std::string_view maskLine, CHtfHeader& h) {
  if (const std::size_t colon = zoneLine.find(':'); colon != std::string_view::npos) {
    const int zone = ToInteger(zoneLine.substr(colon + 1));
    if (CCoordConv::IsZone(zone)) h.zone = zone;
  }
  h.mask = Trim(maskLine);
  if (h.mask.size() < kMinMaskLength) return false;
  if (h.mask[6] == '1' && h.mask[7] == '1') {
    h.firstPos = 6, h.secondPos = 7;  // latitude, longitude
  } else if (h.mask[8] == '1' && h.mask[9] == '1') {
    h.firstPos = 8, h.secondPos = 9;  // easting and northing
  } else {
    return false;
  }
  return true;
}

// One sounding record: blank-separated fields as the mask lays them out, then the depth.
struct CHtfRecord {
  bool invalid = false;  // field 1 marks the sounding invalid
  bool starred = false;  // a position field or the depth holds a "*"
  double first = 0, second = 0, depth = 0;
  std::size_t depthStart = 0, depthEnd = 0;  // where the depth's text lies in the line
};

// Reads a record from its line without the line end. False when a field the mask marks
// is missing.
bool ParseRecord(std::string_view content, const CHtfHeader& h, CHtfRecord& r) {
  std::size_t pos = 0;
  for (int k = 1; k <= kLastMaskField; ++k) {
    if (h.mask[k] == '0') continue;
    const std::size_t blank = content.find(' ', pos);
    if (blank == std::string_view::npos) return false;
    const std::string_view field = content.substr(pos, blank - pos);
    pos = blank + 1;
    if (k == 1) r.invalid = !HasStar(field) && ToInteger(field) == 1;
    if (k == h.firstPos || k == h.secondPos) {
      r.starred = r.starred || HasStar(field);
      (k == h.firstPos ? r.first : r.second) = ToDouble(field);
    }
  }
  r.depthStart = pos;
  r.depthEnd = std::min(content.find(' ', pos), content.size());
  const std::string_view depthField = content.substr(pos, r.depthEnd - pos);
  r.starred = r.starred || HasStar(depthField);
  r.depth = ToDouble(depthField);
  return true;
}

// What becomes of a line after the header: the first three it may be once read, the
// last once transformed.
enum LineKind : unsigned char { kLineToBoth, kRecordUnreadable, kRecordExcluded, kRecordTransformed };
constexpr unsigned char kRecordInvalid = 1;  // flag: field 1 marks the sounding invalid
constexpr unsigned char kRecordOutside = 2;  // flag: a valid sounding that goes out only when outside the grid

// Reads a line after the header. Comment records (";") and the data end line go to both
// outputs; a sounding whose position and depth may be carried goes to `points` as unit
// `unit`, and the outcome gets where its depth's text lies.
LineKind ClassifyLine(std::string_view text, const CHtfHeader& header, CTextOutcome& outcome,
                      CTextPipeline::Batch& points, std::size_t unit) {
  if (StartsWith(text, ";") || StartsWith(text, kEndLine)) return kLineToBoth;
  // The CR of a CRLF line end is not part of the last field, and a last line without
  // any line end is a record like the others.
  CHtfRecord record;
  if (!ParseRecord(text.substr(0, text.size() - LineEnd(text).size()), header, record)) return kRecordUnreadable;
  if (record.invalid) outcome.flags = kRecordInvalid;
  if (record.invalid || record.starred) return kRecordExcluded;
  double a = record.second, b = record.first;  // longitude, latitude
  if (header.firstPos == 8 && std::fabs(record.first) < std::fabs(record.second)) {
    // Eastings and northings: the smaller magnitude is the easting, whichever of the
    // two fields holds it.
    a = record.first;
    b = record.second;
  }
  outcome.flags = kRecordOutside;
  outcome.keep = static_cast<std::uint32_t>(record.depthStart);
  outcome.resume = static_cast<std::uint32_t>(record.depthEnd);
  points.Add(unit, a, b, record.depth);
  return kRecordExcluded;
}

// The new text of a totals line: the key and number, padded with blanks to the old
// line's length without its line end, then the old line end. Empty when it does not fit.
std::string TotalsLine(std::string_view old, const char* key, std::uint64_t value) {
  const std::string_view end = LineEnd(old);
  std::string text(key);
  text += ' ';
  text += std::to_string(value);
  const std::size_t room = old.size() - end.size();
  if (text.size() > room) return "";
  text.append(room - text.size(), ' ');
  text.append(end);
  return text;
}

}  // namespace

bool CFileHTF::CanRead(const std::string& path) {
  CInputStream input;
  if (!input.Open(path, CInputStream::kSmallBlockSize)) return false;
  std::string_view line;
  if (!input.ReadLine(line) || !StartsWith(line, "HTF HEADER")) return false;
  return input.ReadLine(line) && StartsWith(line, "HTF VERSION:");
}

FileResult CFileHTF::Run(Streams& files, const Task& task) {
  CInputStream& input = files.input;
  COutputStream& transformedFile = files.transformedFile;
  COutputStream& excludedFile = files.excludedFile;
  m_excludedRecords = m_invalidRecords = 0;
  PrepareTransform(task.inRef, task.outRef);

  // Header: Settle removes both outputs again when it is incomplete (nothing counted yet).
  std::string zoneLine, maskLine;
  if (const FileResult copied = CopyHeader(input, transformedFile, excludedFile, zoneLine, maskLine);
      copied != kFileDone)
    return copied;
  CHtfHeader header;
  if (!ParseHeader(zoneLine, maskLine, header)) return kFileInputError;
  const int zone = header.zone.value_or(task.zone);

  // The end line is the last read: nothing after it is looked at.
  bool ended = false;
  const auto read = [&](std::string_view& line, CTextOutcome&) {
    if (ended || !input.ReadLine(line)) return false;
    ended = StartsWith(line, kEndLine);
    return true;
  };

  const auto transform = [&](CTextPipeline::Piece& lines) {
    CTextPipeline::Batch& points = lines.Points();
    for (std::size_t i = 0; i < lines.Count(); ++i) {
      const std::string_view text = lines.Unit(i);
      CTextOutcome& outcome = lines.Outcome(i);
      outcome.kind = ClassifyLine(text, header, outcome, points, i);
    }
    TransformPoints(points.count, points.a, points.b, points.z, points.transformed, task.grid, task.inRef, zone,
                    task.outRef, points.point, nullptr, points.given);
    lines.SetCarried(kRecordTransformed);
  };

  std::uint64_t recordCount = 0;
  CProgressThrottle throttle;
  const auto write = [&](const CTextPipeline::Unit& line) {
    const CTextOutcome& outcome = line.outcome;
    if (outcome.kind == kLineToBoth)
      return transformedFile.Write(line.text) && excludedFile.Write(line.text) ? kFileDone : kFileOutputError;
    if (outcome.kind == kRecordUnreadable) return kFileInputError;
    if (outcome.flags & kRecordInvalid) ++m_invalidRecords;
    if (outcome.kind == kRecordTransformed) {
      m_separation.Add(outcome.given);
      if (!transformedFile.Write(line.text.substr(0, outcome.keep)) || !transformedFile.Write(line.number) ||
          !transformedFile.Write(line.text.substr(outcome.resume)))
        return kFileOutputError;
      ++task.transformed;
    } else {
      if (outcome.flags & kRecordOutside) ++task.outside;
      if (!excludedFile.Write(line.text)) return kFileOutputError;
      ++m_excludedRecords;
    }
    if (++recordCount % kProgressInterval == 0 && ReportProgressRead(task.process, throttle, line.position, input))
      return kFileCancelled;
    return kFileDone;
  };
  CTextPipeline lines;
  return lines.Run(input, read, transform, write);
}

FileResult CFileHTF::Settle(FileResult result, Streams& files, const Task& task) {
  // Only an incomplete header or a record with too few fields stops Run with an input
  // error; the totals of such outputs are left as copied.
  const bool correctTotals = result != kFileInputError;
  result =
      CloseFiles(result, files.input, files.transformedFile, files.excludedFile, task.transformed, m_excludedRecords);
  if (!correctTotals) return result;
  bool updated = true;
  if (task.transformed != 0) updated = UpdateTotals(files.transformedFile.GetPath(), task.transformed, 0);
  if (m_excludedRecords != 0)
    updated = UpdateTotals(files.excludedFile.GetPath(), m_excludedRecords, m_invalidRecords) && updated;
  return updated ? result : kFileOutputError;
}

bool CFileHTF::UpdateTotals(const std::string& path, std::uint64_t total, std::uint64_t invalid) {
  // Find both lines first, then overwrite them in place; nothing else in the file moves.
  std::uint64_t totalsAt = 0, validAt = 0;
  std::string totalsText, validText;
  {
    CInputStream input;
    if (!input.Open(path)) return false;
    std::string_view line;
    bool found = false;
    while (input.ReadLine(line)) {
      const std::uint64_t start = input.Position() - line.size();
      if (!found) {
        if (StartsWith(line, kTotalsKey)) {
          found = true;
          totalsAt = start;
          totalsText = TotalsLine(line, kTotalsKey, total);
        }
      } else if (StartsWith(line, kValidTotalsKey)) {
        validAt = start;
        validText = TotalsLine(line, kValidTotalsKey, total - invalid);
        break;
      }
    }
    if (!found) return false;
  }
  CFileHandle file(path, "r+b");
  if (!file.IsOpen()) return false;
  for (const auto& [at, text] : {std::pair{totalsAt, &totalsText}, std::pair{validAt, &validText}}) {
    if (text->empty()) continue;
    if (fseeko(file.Get(), static_cast<off_t>(at), SEEK_SET) != 0) return false;
    if (std::fwrite(text->data(), 1, text->size(), file.Get()) != text->size()) return false;
  }
  return file.Close();
}
