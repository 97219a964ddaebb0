#include "grid/GridRead.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <stdexcept>
#include <type_traits>
#include <vector>

#include "common/PathUtil.h"
#include "grid/GridInt.h"
#include "process/Messenger.h"

namespace {

constexpr std::size_t kPrefixBytes = 11;       // magic, format code, reserved
constexpr std::size_t kHeaderRestBytes = 72;   // versions .. row count
constexpr std::uint64_t kCountBytes = 4;       // a row's point count
constexpr std::uint64_t kRecordBytes = 32;     // column + 14 codes
constexpr std::size_t kBufferBytes = 1 << 20;  // fewer system calls for files of many small rows
constexpr std::int32_t kCurrentFormat = 1;
constexpr std::int32_t kRetiredFormat = 0;

// Rows are read straight from the file into their node arrays, so a node must have
// the record's layout exactly.
static_assert(sizeof(CDataPt) == 2 * CDataPt::kSurfaceCount);
static_assert(sizeof(CGridInt::Node) == kRecordBytes);
static_assert(offsetof(CGridInt::Node, point) == 4);
static_assert(std::is_trivially_copyable_v<CGridInt::Node>);

// An error met while reading; its text is the report shown before the failure message.
class CGridReadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

template <typename T>
T ByteSwap(T value) {
  unsigned char bytes[sizeof(T)];
  std::memcpy(bytes, &value, sizeof(T));
  std::reverse(bytes, bytes + sizeof(T));
  std::memcpy(&value, bytes, sizeof(T));
  return value;
}

// A little-endian field of a header buffer.
template <typename T>
T Field(const unsigned char* data, std::size_t offset) {
  T value;
  std::memcpy(&value, data + offset, sizeof(T));
  if constexpr (std::endian::native == std::endian::big) value = ByteSwap(value);
  return value;
}

std::string Format(const char* format, long long a, long long b = 0) {
  char text[160];
  std::snprintf(text, sizeof text, format, a, b);
  return text;
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

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
      if (std::ferror(m_file))
        throw CGridReadError(std::string("Error reading the grid file: ") + std::strerror(errno));
      throw CGridReadError("The grid file ends unexpectedly.");
    }
    m_remaining -= bytes;
  }

  std::int32_t ReadInt() {
    unsigned char bytes[4];
    Read(bytes, sizeof bytes);
    return Field<std::int32_t>(bytes, 0);
  }

 private:
  std::FILE* m_file;
  std::uint64_t m_remaining;
};

// On a big-endian machine the records read as raw bytes still need their byte order turned.
void FixByteOrder(CGridInt::Row& row) {
  if constexpr (std::endian::native == std::endian::big) {
    for (CGridInt::Node& node : row) {
      node.column = ByteSwap(node.column);
      for (std::uint16_t& code : node.point.m_codes) code = ByteSwap(code);
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
  std::unique_ptr<std::FILE, FileCloser> file(isFolder ? nullptr : std::fopen(m_path.c_str(), "rb"));
  if (!file) {
    GetMessenger().ShowMessage("Cannot open grid file:\n" + m_path);
    return;
  }
  std::error_code sizeError;
  const std::uintmax_t size = std::filesystem::file_size(m_path, sizeError);
  // No larger than the file: a small grid costs no megabyte.
  buffer.resize(sizeError ? kBufferBytes : std::clamp<std::uintmax_t>(size, BUFSIZ, kBufferBytes));
  std::setvbuf(file.get(), buffer.data(), _IOFBF, buffer.size());
  SetText("Reading: " + GetFileNamePart(m_path));

  bool failed = true;
  std::string report;
  try {
    if (sizeError) throw CGridReadError("The size of the grid file cannot be found.");
    CBoundedReader reader(file.get(), size);

    unsigned char prefix[kPrefixBytes];
    reader.Read(prefix, sizeof prefix);
    const bool magicOk = std::memcmp(prefix, "MRG", 3) == 0;
    const std::int32_t format = Field<std::int32_t>(prefix, 3);  // the reserved field at 7 is ignored
    if (magicOk && format == kRetiredFormat) {
      m_grid.Reset();
      GetMessenger().ShowMessage("This format grid file is no longer supported");
      return;
    }
    if (!magicOk || format != kCurrentFormat) throw CGridReadError("CGridInt contained an unexpected object.");

    m_grid.SetRowCount(0);
    unsigned char rest[kHeaderRestBytes];
    reader.Read(rest, sizeof rest);
    CGridInt::Header header;
    header.majorVersion = Field<std::int32_t>(rest, 0);
    header.minorVersion = Field<std::int32_t>(rest, 4);
    header.year = Field<std::int32_t>(rest, 8);
    header.month = Field<std::int32_t>(rest, 12);
    header.day = Field<std::int32_t>(rest, 16);
    header.gridSize = Field<double>(rest, 20);
    header.minLat = Field<double>(rest, 28);
    header.maxLat = Field<double>(rest, 36);
    header.minLon = Field<double>(rest, 44);
    header.maxLon = Field<double>(rest, 52);
    m_grid.SetHeader(header);
    if (m_ownCoding) {
      m_grid.SetCoding({Field<float>(rest, 60), Field<float>(rest, 64)});
    } else {
      CDataPt::s_offset = Field<float>(rest, 60);
      CDataPt::s_scale = Field<float>(rest, 64);
    }
    const std::int32_t rowCount = Field<std::int32_t>(rest, 68);

    // Every row block takes at least its point count; a count the file cannot hold is
    // damage, refused before the row table is made.
    if (rowCount < 0) throw CGridReadError(Format("The grid file has a negative row count (%lld).", rowCount));
    if (static_cast<std::uint64_t>(rowCount) * kCountBytes > reader.Remaining())
      throw CGridReadError(Format("The grid file announces %lld rows, more than it holds.", rowCount));
    m_grid.SetRowCount(static_cast<std::size_t>(rowCount));

    CProgressThrottle throttle;
    for (std::int32_t r = 0; r < rowCount; ++r) {
      const std::int32_t points = reader.ReadInt();
      const std::uint64_t rowsAfter = static_cast<std::uint64_t>(rowCount - 1 - r);
      if (points < 0)
        throw CGridReadError(Format("Row %lld of the grid file has a negative point count (%lld).", r, points));
      if (static_cast<std::uint64_t>(points) * kRecordBytes + rowsAfter * kCountBytes > reader.Remaining())
        throw CGridReadError(
            Format("Row %lld of the grid file announces %lld points, more than the file holds.", r, points));
      if (points > 0) {
        CGridInt::Row& row = m_grid.MutableRow(static_cast<std::size_t>(r));
        row.resize(static_cast<std::size_t>(points));
        reader.Read(row.data(), static_cast<std::uint64_t>(points) * kRecordBytes);
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

  file.reset();
  m_grid.SetFilePath(m_path);
  m_grid.CheckAge();
}
