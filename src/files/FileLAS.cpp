#include "files/FileLAS.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "files/InputStream.h"
#include "files/LasHeader.h"
#include "files/LasRecordSummary.h"
#include "files/LittleEndian.h"
#include "files/NumberText.h"
#include "files/OutputStream.h"
#include "grid/DataPt.h"
#include "process/ProcessBase.h"
#include "process/SharedJob.h"

namespace {

// The header's fields by their own names (offsets, and where the fields needed end).
using enum CLasHeader::Field;

constexpr std::size_t kXyzBytes = 12;             // X, Y, Z as signed 32-bit integers
constexpr std::uint64_t kProgressInterval = 100;  // points

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
  // No more records than the file holds after its header, and one over (so a file
  // that ends early is still found short in its first block): a small file costs no
  // megabyte blocks.
  const std::uint64_t recordsInFile = (input.Size() - pointOffset) / recordLength;
  const std::size_t blockRecords = static_cast<std::size_t>(
      std::min<std::uint64_t>({CInputStream::kBlockSize / recordLength, count, recordsInFile + 1}));
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
  // What each thread works with: the positions and heights of one piece, and what the
  // records it has sent to each output hold (on cache lines of its own, so the two
  // threads never write to one line).
  struct alignas(64) Scratch {
    double a[kPiece], b[kPiece], z[kPiece];
    bool transformed[kPiece];
    CDataPt point;
    CLasRecordSummary records[2];  // [0] the excluded file's, [1] the transformed file's
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
    for (const unsigned char output : {0, 1})
      work.records[output].Add(records, n, recordLength, &block.inside[start], output);
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
  // Every record was summed up by the thread that transformed it; the run is complete,
  // so each output's records are those of both threads.
  m_excludedRecords = scratch[0].records[0];
  m_transformedRecords = scratch[0].records[1];
  for (int part = 1; part < CSharedJob::kParts; ++part) {
    m_excludedRecords.Merge(scratch[part].records[0]);
    m_transformedRecords.Merge(scratch[part].records[1]);
  }
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
    updated = UpdateHeader(transformedPath, task.transformed, m_pointCount, m_excludedBytes, &m_transformedRecords) &&
              updated;
  }
  if (task.outside == 0) {
    std::remove(excludedPath.c_str());
  } else {
    updated = UpdateHeader(excludedPath, task.outside, m_pointCount, m_transformedBytes, &m_excludedRecords) && updated;
  }
  return updated ? kFileDone : kFileException;
}

bool CFileLAS::UpdateHeader(const std::string& path, std::uint64_t newCount, std::uint64_t inputCount,
                            std::uint64_t bytesRemoved, const CLasRecordSummary* records) {
  const bool countsChange = newCount != inputCount;
  if (!countsChange && !records) return true;
  CLasHeader header;
  if (!header.Open(path) || (countsChange && !header.SetCounts(newCount, bytesRemoved))) return false;
  if (records) header.SetSummary(*records);
  return header.Save();
}
