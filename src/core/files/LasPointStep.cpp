#include "core/files/LasPointStep.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/common/ByteOrder.h"
#include "core/files/LasHeader.h"
#include "core/grid/DataPt.h"
#include "core/jobs/SharedJob.h"

namespace {

constexpr std::size_t kBatch = 256;  // records handed to the transform at once
constexpr std::size_t kZAt = 8;      // the stored Z in a record

// The stored Z of a record whose height was given `added` metres: `stored` plus
// added / zScale rounded half away from zero. The change is taken as given rather than
// as the difference of two heights, which would carry the rounding of the larger one.
// False when the change or the new Z does not fit in 32 bits (or is not finite).
bool ShiftZ(std::int32_t stored, double added, double zScale, std::int32_t& shifted) {
  constexpr double kLimit = 4294967296.0;  // 2^32: no larger change leaves a 32-bit Z in range
  const double units = added / zScale;
  if (!(std::fabs(units) < kLimit)) return false;
  const long long z = stored + std::llround(units);
  if (z < std::numeric_limits<std::int32_t>::min() || z > std::numeric_limits<std::int32_t>::max()) return false;
  shifted = static_cast<std::int32_t>(z);
  return true;
}

}  // namespace

// What each thread works with: the positions and heights of a batch, and what the
// records it has marked for each output hold (on cache lines of its own, so the two
// threads never write to one line).
struct alignas(64) CLasPointStep::CScratch {
  double a[kBatch], b[kBatch], z[kBatch], given[kBatch];
  bool transformed[kBatch];
  CDataPt point;
  CLasRecordSummary records[2];  // [0] excluded, [1] transformed
  CSeparationStats separation;
};

CLasPointStep::CLasPointStep(const CLasHeader& header)
    : m_recordLength(header.RecordLength()),
      m_scale{header.Scale(0), header.Scale(1), header.Scale(2)},
      m_offset{header.Offset(0), header.Offset(1), header.Offset(2)},
      m_scratch(std::make_unique<CScratch[]>(CSharedJob::kParts)) {}

CLasPointStep::~CLasPointStep() = default;

void CLasPointStep::Apply(char* records, std::size_t count, unsigned char* inside, int part,
                          const Transform& transform) {
  CScratch& work = m_scratch[part];
  for (std::size_t start = 0; start < count; start += kBatch) {
    const std::size_t n = std::min(kBatch, count - start);
    char* batch = records + start * m_recordLength;
    for (std::size_t i = 0; i < n; ++i) {
      const char* record = batch + i * m_recordLength;
      work.a[i] = ReadLittleEndian<std::int32_t>(record) * m_scale[0] + m_offset[0];
      work.b[i] = ReadLittleEndian<std::int32_t>(record + 4) * m_scale[1] + m_offset[1];
      work.z[i] = ReadLittleEndian<std::int32_t>(record + kZAt) * m_scale[2] + m_offset[2];
    }
    transform(n, work.a, work.b, work.z, work.transformed, work.given, work.point, work.separation);
    for (std::size_t i = 0; i < n; ++i) {
      char* z = batch + i * m_recordLength + kZAt;
      std::int32_t newZ = 0;
      const bool ok = work.transformed[i] && ShiftZ(ReadLittleEndian<std::int32_t>(z), work.given[i], m_scale[2], newZ);
      if (ok) WriteLittleEndian(z, newZ);
      inside[start + i] = ok;
    }
    for (const unsigned char output : {0, 1})
      work.records[output].Add(batch, n, m_recordLength, inside + start, output);
  }
}

CSeparationStats CLasPointStep::Separation() const {
  CSeparationStats all;
  for (int part = 0; part < CSharedJob::kParts; ++part) all.Merge(m_scratch[part].separation);
  return all;
}

CLasRecordSummary CLasPointStep::Summary(unsigned char output) const {
  CLasRecordSummary all;
  for (int part = 0; part < CSharedJob::kParts; ++part) all.Merge(m_scratch[part].records[output]);
  return all;
}
