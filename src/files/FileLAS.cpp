#include "files/FileLAS.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "files/InputStream.h"
#include "files/NumberText.h"
#include "files/OutputStream.h"
#include "grid/DataPt.h"
#include "process/ProcessBase.h"
#include "process/SharedJob.h"

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
  const double rounded = RoundFixed2(z);
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

FileResult CFileLAS::Run(CStreams& files, const CTask& task) {
  CInputStream& input = files.input;
  COutputStream& transformedFile = files.transformedFile;
  COutputStream& excludedFile = files.excludedFile;
  m_pointCount = m_transformedBytes = m_excludedBytes = 0;
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
  m_pointCount = count;
  const double xScale = ReadDouble(h + kScale), yScale = ReadDouble(h + kScale + 8);
  const double zScale = ReadDouble(h + kScale + 16);
  const double xOffset = ReadDouble(h + kOffset), yOffset = ReadDouble(h + kOffset + 8);
  const double zOffset = ReadDouble(h + kOffset + 16);
  if (recordLength < kXyzBytes || pointOffset > input.Size() || pointOffset < headerEnd) return kFileInputError;

  if (!input.CopyTo(pointOffset, &transformedFile, &excludedFile)) return kFileException;
  if (zScale == 0) return kFileInputError;
  PrepareTransform(task.inRef, task.outRef);

  // Records go a block at a time through two buffers, so that the files are read and
  // written while the points are transformed: while block k is transformed (by a helper
  // thread, which this one joins once it is done with the files), block k-1 is written
  // and block k+1 read. Each new Z is written over the old one in its buffer; then runs
  // of records bound for the same output are copied in one piece.
  struct Block {
    std::vector<char> bytes;
    std::vector<unsigned char> inside;  // per record: it goes to the transformed file
    std::uint64_t first = 0;            // index of the block's first record
    std::size_t records = 0;            // whole records read
    bool whole = true;                  // false: the input ended before the block did
  };
  const std::size_t blockRecords = CInputStream::kBlockSize / recordLength;
  Block blocks[2];
  for (Block& block : blocks) {
    block.bytes.resize(blockRecords * recordLength);
    block.inside.resize(blockRecords);
  }
  const auto readBlock = [&](Block& block, std::uint64_t first) {
    const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(blockRecords, count - first));
    block.first = first;
    block.records = input.Read(block.bytes.data(), wanted * recordLength) / recordLength;
    block.whole = block.records == wanted;  // a record cut short is not used
  };

  constexpr std::size_t kPiece = 256;  // records per piece of shared work
  // What each thread works with: the positions and heights of one piece (on cache lines
  // of its own, so the two threads never write to one line).
  struct alignas(64) Scratch {
    double a[kPiece], b[kPiece], z[kPiece];
    bool transformed[kPiece];
    CDataPt point;
  };
  const auto scratch = std::make_unique<Scratch[]>(CSharedJob::kParts);
  Block* current = &blocks[0];
  const auto transformPiece = [&](std::size_t piece, int part) {
    Block& block = *current;
    Scratch& work = scratch[part];
    const std::size_t start = piece * kPiece, n = std::min(kPiece, block.records - start);
    char* records = block.bytes.data() + start * recordLength;
    for (std::size_t i = 0; i < n; ++i) {
      const char* record = records + i * recordLength;
      work.a[i] = ReadInt32(record) * xScale + xOffset;
      work.b[i] = ReadInt32(record + 4) * yScale + yOffset;
      work.z[i] = ReadInt32(record + 8) * zScale + zOffset;
    }
    TransformPoints(n, work.a, work.b, work.z, work.transformed, task.grid, task.inRef, task.zone, task.outRef,
                    work.point);
    for (std::size_t i = 0; i < n; ++i) {
      std::int32_t newZ = 0;
      const bool ok = work.transformed[i] && EncodeZ(work.z[i], zScale, zOffset, newZ);
      if (ok) WriteLE(records + i * recordLength + 8, static_cast<std::uint32_t>(newZ), 4);
      block.inside[start + i] = ok;
    }
  };

  CProgressThrottle throttle;
  const auto writeBlock = [&](const Block& block) {
    // Progress and cancel first: a cancel seen at record i means the records up to and
    // including i are written, and no more.
    std::size_t records = block.records;
    FileResult result = kFileDone;
    const std::uint64_t end = block.first + block.records;
    for (std::uint64_t report = (block.first + kProgressInterval - 1) / kProgressInterval * kProgressInterval;
         report < end; report += kProgressInterval) {
      if (ReportProgress(task.process, throttle, static_cast<long long>(report * 100 / count))) {
        records = static_cast<std::size_t>(report - block.first + 1);
        result = kFileCancelled;
        break;
      }
    }
    for (std::size_t k = 0; k < records;) {
      const bool in = block.inside[k];
      std::size_t next = k + 1;
      while (next < records && block.inside[next] == in) ++next;
      const std::size_t bytes = (next - k) * recordLength;
      if (!(in ? transformedFile : excludedFile).Write(block.bytes.data() + k * recordLength, bytes)) {
        return kFileException;
      }
      (in ? task.transformed : task.outside) += next - k;
      (in ? m_transformedBytes : m_excludedBytes) += bytes;
      k = next;
    }
    return result;
  };

  // Declared after everything its pieces use, so that on an early return it stops
  // (skipping the pieces not yet taken) before any of that goes away.
  CSharedJob job;
  readBlock(*current, 0);
  for (;;) {
    Block& next = current == &blocks[0] ? blocks[1] : blocks[0];  // holds the previous block
    job.Start((current->records + kPiece - 1) / kPiece, transformPiece);
    FileResult stop = kFileDone;
    if (next.records > 0) stop = writeBlock(next);
    const bool more = stop == kFileDone && current->whole && current->first + current->records < count;
    if (more) readBlock(next, current->first + current->records);
    job.Finish();
    if (stop != kFileDone) return stop;
    if (!more) {
      if (const FileResult last = writeBlock(*current); last != kFileDone) return last;
      if (!current->whole) return kFileException;
      break;
    }
    current = &next;
  }
  if (!input.CopyRestTo(&transformedFile, &excludedFile)) return kFileException;
  return kFileDone;
}

FileResult CFileLAS::Settle(FileResult result, CStreams& files, const CTask& task) {
  if (result != kFileDone) return result;
  files.input.Close();
  const bool closed = files.transformedFile.Close() & files.excludedFile.Close();
  if (!closed) return kFileException;
  const std::string& transformedPath = files.transformedFile.GetPath();
  const std::string& excludedPath = files.excludedFile.GetPath();
  bool updated = true;
  if (task.transformed == 0) {
    std::remove(transformedPath.c_str());
  } else {
    updated = UpdateHeader(transformedPath, task.transformed, m_pointCount, m_excludedBytes) && updated;
  }
  if (task.outside == 0) {
    std::remove(excludedPath.c_str());
  } else {
    updated = UpdateHeader(excludedPath, task.outside, m_pointCount, m_transformedBytes) && updated;
  }
  return updated ? kFileDone : kFileException;
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
