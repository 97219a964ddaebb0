#include "files/FileLAS.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <memory>

#include "files/InputStream.h"
#include "files/NumberText.h"
#include "files/OutputStream.h"
#include "process/ProcessBase.h"

namespace {

// Public header offsets (little-endian fields).
constexpr std::size_t kVersionMajor = 24;
constexpr std::size_t kVersionMinor = 25;
constexpr std::size_t kPointDataOffset = 96;
constexpr std::size_t kRecordLength = 105;
constexpr std::size_t kLegacyCount = 107;
constexpr std::size_t kScale = 131;   // X, Y, Z scale factors (doubles)
constexpr std::size_t kOffset = 155;  // X, Y, Z offsets (doubles)
constexpr std::size_t kWaveformStart = 227;
constexpr std::size_t kExtendedVlrStart = 235;
constexpr std::size_t kCount64 = 247;
// Bytes the fields above need, by version.
constexpr std::size_t kHeaderEnd = 179;
constexpr std::size_t kHeaderEnd13 = 235;
constexpr std::size_t kHeaderEnd14 = 255;

constexpr std::size_t kXyzBytes = 12;             // X, Y, Z as signed 32-bit integers
constexpr std::uint64_t kProgressInterval = 100;  // points

std::uint64_t ReadLE(const char* p, int bytes) {
  std::uint64_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(p[i]);
  return v;
}

void WriteLE(char* p, std::uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i, v >>= 8) p[i] = static_cast<char>(v & 0xFF);
}

double ReadDouble(const char* p) {
  const std::uint64_t bits = ReadLE(p, 8);
  double v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

std::int32_t ReadInt32(const char* p) { return static_cast<std::int32_t>(static_cast<std::uint32_t>(ReadLE(p, 4))); }

bool Is13(int major, int minor) { return major == 1 && minor > 2; }
bool Is14(int major, int minor) { return major == 1 && minor > 3; }

// The stored Z for a new height: the height rounded to centimetres through its "%.2f"
// text, then (z - offset) / scale truncated toward zero (so 0.29 with scale 0.01 is 28,
// as 0.29 / 0.01 is 28.999999999999996). False when that does not fit in 32 bits.
bool EncodeZ(double z, double zScale, double zOffset, std::int32_t& stored) {
  char text[kFixed2Capacity];
  const std::size_t length = FormatFixed2(z, text);
  double rounded = 0;
  std::from_chars(text, text + length, rounded);
  const double q = (rounded - zOffset) / zScale;
  if (!(q > -2147483649.0 && q < 2147483648.0)) return false;
  stored = static_cast<std::int32_t>(q);
  return true;
}

struct CFileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using CFilePtr = std::unique_ptr<std::FILE, CFileCloser>;

bool ReadAt(std::FILE* file, long offset, char* out, std::size_t count) {
  return std::fseek(file, offset, SEEK_SET) == 0 && std::fread(out, 1, count, file) == count;
}

bool WriteAt(std::FILE* file, long offset, const char* data, std::size_t count) {
  return std::fseek(file, offset, SEEK_SET) == 0 && std::fwrite(data, 1, count, file) == count;
}

}  // namespace

bool CFileLAS::CanRead(const std::string& path) {
  CFilePtr file(std::fopen(path.c_str(), "rb"));
  char signature[4];
  return file && std::fread(signature, 1, 4, file.get()) == 4 && std::memcmp(signature, "LASF", 4) == 0;
}

FileResult CFileLAS::Process(const std::string& path, const CGridInt* grid, const CTransBase* inRef,
                             const CTransBase* outRef, CProcessBase* process, int zone, std::uint64_t& outside,
                             std::uint64_t& transformed) {
  outside = transformed = 0;
  try {
    CInputStream input;
    COutputStream transformedFile, excludedFile;
    if (const FileResult opened = OpenFiles(path, inRef, outRef, input, transformedFile, excludedFile);
        opened != kFileDone)
      return opened;

    // Header fields. A file too short for them, a record without room for X, Y and Z, or
    // point data said to start beyond the file or inside these fields, is not a LAS
    // file we can copy.
    if (!input.Ensure(kHeaderEnd)) return kFileInputError;
    const int major = static_cast<unsigned char>(input.Data()[kVersionMajor]);
    const int minor = static_cast<unsigned char>(input.Data()[kVersionMinor]);
    const std::size_t headerEnd = Is14(major, minor) ? kHeaderEnd14 : Is13(major, minor) ? kHeaderEnd13 : kHeaderEnd;
    if (!input.Ensure(headerEnd)) return kFileInputError;
    const char* h = input.Data();
    const std::uint64_t pointOffset = ReadLE(h + kPointDataOffset, 4);
    const std::size_t recordLength = static_cast<std::size_t>(ReadLE(h + kRecordLength, 2));
    const std::uint64_t count = Is14(major, minor) ? ReadLE(h + kCount64, 8) : ReadLE(h + kLegacyCount, 4);
    const double xScale = ReadDouble(h + kScale), yScale = ReadDouble(h + kScale + 8);
    const double zScale = ReadDouble(h + kScale + 16);
    const double xOffset = ReadDouble(h + kOffset), yOffset = ReadDouble(h + kOffset + 8);
    const double zOffset = ReadDouble(h + kOffset + 16);
    if (recordLength < kXyzBytes || pointOffset > input.Size() || pointOffset < headerEnd) return kFileInputError;

    if (!input.CopyTo(pointOffset, &transformedFile, &excludedFile)) return kFileException;
    if (zScale == 0) return kFileInputError;
    PrepareTransform(inRef, outRef);

    CProgressThrottle throttle;
    std::uint64_t transformedBytes = 0, excludedBytes = 0;
    for (std::uint64_t i = 0; i < count; ++i) {
      // A record cut short by the end of the file is not written.
      if (!input.Ensure(recordLength)) return kFileException;
      const char* record = input.Data();
      const std::int32_t x = ReadInt32(record), y = ReadInt32(record + 4), zStored = ReadInt32(record + 8);
      double z = zStored * zScale + zOffset;
      std::int32_t newZ = 0;
      const bool ok = TransformPoint(x * xScale + xOffset, y * yScale + yOffset, grid, inRef, zone, outRef, z) &&
                      EncodeZ(z, zScale, zOffset, newZ);
      COutputStream& target = ok ? transformedFile : excludedFile;
      char* out = target.Reserve(recordLength);
      if (!out) return kFileException;
      std::memcpy(out, record, recordLength);
      if (ok) {
        WriteLE(out + 8, static_cast<std::uint32_t>(newZ), 4);
        ++transformed;
        transformedBytes += recordLength;
      } else {
        ++outside;
        excludedBytes += recordLength;
      }
      input.Skip(recordLength);
      if (i % kProgressInterval == 0 && ReportProgress(process, throttle, static_cast<long long>(i * 100 / count))) {
        return kFileCancelled;
      }
    }
    if (!input.CopyRestTo(&transformedFile, &excludedFile)) return kFileException;

    input.Close();
    const bool closed = transformedFile.Close() & excludedFile.Close();
    if (!closed) return kFileException;
    const std::string& transformedPath = transformedFile.GetPath();
    const std::string& excludedPath = excludedFile.GetPath();
    bool updated = true;
    if (transformed == 0) {
      std::remove(transformedPath.c_str());
    } else {
      updated = UpdateHeader(transformedPath, transformed, count, excludedBytes) && updated;
    }
    if (outside == 0) {
      std::remove(excludedPath.c_str());
    } else {
      updated = UpdateHeader(excludedPath, outside, count, transformedBytes) && updated;
    }
    return updated ? kFileDone : kFileException;
  } catch (...) {
    return kFileException;
  }
}

bool CFileLAS::UpdateHeader(const std::string& path, std::uint64_t newCount, std::uint64_t inputCount,
                            std::uint64_t bytesRemoved) {
  if (newCount == inputCount) return true;
  CFilePtr file(std::fopen(path.c_str(), "r+b"));
  if (!file) return false;
  char version[2];
  if (!ReadAt(file.get(), kVersionMajor, version, 2)) return false;
  const int major = static_cast<unsigned char>(version[0]);
  const int minor = static_cast<unsigned char>(version[1]);
  char field[8];
  if (!ReadAt(file.get(), kLegacyCount, field, 4)) return false;
  if (ReadLE(field, 4) != 0) {
    WriteLE(field, newCount & 0xFFFFFFFFu, 4);
    if (!WriteAt(file.get(), kLegacyCount, field, 4)) return false;
  }
  if (Is13(major, minor)) {
    for (const long offset : {static_cast<long>(kWaveformStart), static_cast<long>(kExtendedVlrStart)}) {
      if (offset == static_cast<long>(kExtendedVlrStart) && !Is14(major, minor)) break;
      if (!ReadAt(file.get(), offset, field, 8)) return false;
      const std::uint64_t start = ReadLE(field, 8);
      // A start that lies before the removed records (only in a damaged header) is left
      // as it was rather than wrapped around below zero.
      if (start != 0 && start >= bytesRemoved) {
        WriteLE(field, start - bytesRemoved, 8);
        if (!WriteAt(file.get(), offset, field, 8)) return false;
      }
    }
  }
  if (Is14(major, minor)) {
    WriteLE(field, newCount, 8);
    if (!WriteAt(file.get(), kCount64, field, 8)) return false;
  }
  return std::fclose(file.release()) == 0;
}
