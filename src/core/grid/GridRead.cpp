#include "core/grid/GridRead.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <stdexcept>
#include <type_traits>
#include <vector>

#include "core/common/FileHandle.h"
#include "core/common/NumberText.h"
#include "core/common/PathUtil.h"
#include "core/grid/GridFileHeader.h"
#include "core/grid/GridInt.h"
#include "core/jobs/Messenger.h"

namespace {

constexpr std::size_t kBufferBytes = 1 << 20;  // fewer system calls for files of many small rows

// Rows are read straight from the file into their node arrays, so a node must have
// the record's layout exactly.
static_assert(sizeof(CDataPt) == 2 * CDataPt::kSurfaceCount);
static_assert(CDataPt::kSurfaceCount == CGridFileHeader::kCodeCount);
static_assert(sizeof(CGridInt::Node) == CGridFileHeader::kRecordSize);
static_assert(offsetof(CGridInt::Node, point) == CGridFileHeader::kCodesAt);
static_assert(std::is_trivially_copyable_v<CGridInt::Node>);

// An error met while reading; its text is the report shown before the failure message.
class CGridReadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

std::string Format(const char* format, long long a, long long b = 0) {
  char text[160];
  std::snprintf(text, sizeof text, format, a, b);
  return text;
}

// Reads from the file while keeping count of the bytes it still holds, so that counts
// read from the file can be checked before anything is allocated for them.
class CBoundedReader {
 public:
  CBoundedReader(std::FILE* file, std::uint64_t size) : m_file(file), m_remaining(size) {}

  std::uint64_t Remaining() const { return m_remaining; }

  void Read(void* data, std::uint64_t bytes) {
    if (bytes > m_remaining) throw CGridReadError("The grid file ends unexpectedly.");
    const std::size_t got = std::fread(data, 1, static_cast<std::size_t>(bytes), m_file);
    if (got != bytes) {
      if (std::ferror(m_file)) throw CGridReadError("Error reading the grid file: " + ClassicStrerror(errno));
      throw CGridReadError("The grid file ends unexpectedly.");
    }
    m_remaining -= bytes;
  }

  std::int32_t ReadInt() {
    char bytes[CGridFileHeader::kPointCountSize];
    Read(bytes, sizeof bytes);
    return ReadLittleEndian<std::int32_t>(bytes);
  }

 private:
  std::FILE* m_file;
  std::uint64_t m_remaining;
};

// On a big-endian machine the records read as raw bytes still need their byte order turned.
void FixByteOrder(CGridInt::Row& row) {
  if constexpr (std::endian::native == std::endian::big) {
    for (CGridInt::Node& node : row) {
      node.column = FromLittleEndian(node.column);
      for (std::uint16_t& code : node.point.m_codes) code = FromLittleEndian(code);
    }
  } else {
    (void)row;
  }
}

}  // namespace

CGridRead::CGridRead(CGridInt& grid, std::string path, bool ownCoding)
    : m_grid(grid), m_path(std::move(path)), m_ownCoding(ownCoding) {}

void CGridRead::Run() {
  std::error_code ec;
  // fopen succeeds on a folder; it is no more openable as a grid than a missing file.
  const bool isFolder = std::filesystem::is_directory(m_path, ec);
  std::vector<char> buffer;  // outlives the stream that uses it
  CFileHandle file;
  if (isFolder || !file.Open(m_path, "rb")) {
    GetMessenger().ShowMessage("Cannot open grid file:\n" + m_path);
    return;
  }
  std::error_code sizeError;
  const std::uintmax_t size = std::filesystem::file_size(m_path, sizeError);
  // No larger than the file: a small grid costs no megabyte.
  buffer.resize(sizeError ? kBufferBytes : std::clamp<std::uintmax_t>(size, BUFSIZ, kBufferBytes));
  std::setvbuf(file.Get(), buffer.data(), _IOFBF, buffer.size());
  SetText("Reading: " + GetFileNamePart(m_path));

  bool failed = true;
  std::string report;
  try {
    if (sizeError) throw CGridReadError("The size of the grid file cannot be found.");
    CBoundedReader reader(file.Get(), size);

    char bytes[CGridFileHeader::kSize];
    reader.Read(bytes, CGridFileHeader::kPrefixSize);
    const bool magicOk = CGridFileHeader::HasMagic(bytes);
    const std::int32_t format = CGridFileHeader::FormatOf(bytes);  // the reserved field is ignored
    if (magicOk && format == CGridFileHeader::kRetiredFormat) {
      m_grid.Reset();
      GetMessenger().ShowMessage("This format grid file is no longer supported");
      return;
    }
    if (!magicOk || format != CGridFileHeader::kCurrentFormat)
      throw CGridReadError("CGridInt contained an unexpected object.");

    m_grid.SetRowCount(0);
    reader.Read(bytes + CGridFileHeader::kPrefixSize, CGridFileHeader::kSize - CGridFileHeader::kPrefixSize);
    const CGridFileHeader stored = CGridFileHeader::Read(bytes);
    m_grid.SetHeader({.majorVersion = stored.majorVersion,
                      .minorVersion = stored.minorVersion,
                      .year = stored.year,
                      .month = stored.month,
                      .day = stored.day,
                      .gridSize = stored.gridSize,
                      .minLat = stored.minLat,
                      .maxLat = stored.maxLat,
                      .minLon = stored.minLon,
                      .maxLon = stored.maxLon});
    if (m_ownCoding) {
      m_grid.SetCoding({stored.valueOffset, stored.valueScale});
    } else {
      CDataPt::s_offset = stored.valueOffset;
      CDataPt::s_scale = stored.valueScale;
    }
    const std::int32_t rowCount = stored.rowCount;

    // Every row block takes at least its point count; a count the file cannot hold is
    // damage, refused before the row table is made.
    if (rowCount < 0) throw CGridReadError(Format("The grid file has a negative row count (%lld).", rowCount));
    if (static_cast<std::uint64_t>(rowCount) * CGridFileHeader::kPointCountSize > reader.Remaining())
      throw CGridReadError(Format("The grid file announces %lld rows, more than it holds.", rowCount));
    m_grid.SetRowCount(static_cast<std::size_t>(rowCount));

    CProgressThrottle throttle;
    for (std::int32_t r = 0; r < rowCount; ++r) {
      const std::int32_t points = reader.ReadInt();
      const std::uint64_t rowsAfter = static_cast<std::uint64_t>(rowCount - 1 - r);
      if (points < 0)
        throw CGridReadError(Format("Row %lld of the grid file has a negative point count (%lld).", r, points));
      if (static_cast<std::uint64_t>(points) * CGridFileHeader::kRecordSize +
              rowsAfter * CGridFileHeader::kPointCountSize >
          reader.Remaining())
        throw CGridReadError(
            Format("Row %lld of the grid file announces %lld points, more than the file holds.", r, points));
      if (points > 0) {
        CGridInt::Row& row = m_grid.MutableRow(static_cast<std::size_t>(r));
        row.resize(static_cast<std::size_t>(points));
        reader.Read(row.data(), static_cast<std::uint64_t>(points) * CGridFileHeader::kRecordSize);
        FixByteOrder(row);
        m_grid.SortRow(static_cast<std::size_t>(r));
      }
      throttle.Report(*this, static_cast<long long>(r) * 100 / rowCount);
    }
    failed = false;
  } catch (const CGridReadError& e) {
    report = e.what();
  } catch (const std::bad_alloc&) {
    report = "Not enough memory to read the grid file.";
  } catch (const std::exception& e) {
    report = e.what();
  }
  if (failed) {
    GetMessenger().ShowMessage(report);
    GetMessenger().ShowMessage("Failed to load grid file:\n" + m_path);
    m_grid.Reset();
    return;
  }

  file.Reset();
  m_grid.SetFilePath(m_path);
  m_grid.CheckAge();
}
