#include "marevert/Transform.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "api/ApiSupport.h"
#include "core/files/FileBase.h"
#include "core/jobs/SharedJob.h"
#include "core/trans/TransBase.h"

namespace marevert {

namespace {

// Points handed to the per-point path at a time (small enough to stay in cache), and
// how many such pieces make it worth starting a helper thread.
constexpr std::size_t kPiece = 4096;
constexpr std::size_t kPiecesToShare = 8;

// The programs' per-point path (CFileBase::TransformPoints) without a file around it.
class CArrayTransform final : public CFileBase {
 public:
  bool CanRead(const std::string&) override { return false; }
  std::string GetFormatName() const override { return ""; }
};

}  // namespace

std::size_t Transform(const CGrid& grid, const std::string& from, const std::string& to, std::size_t count,
                      const double* x, const double* y, const double* z, double* zOut, bool* inside,
                      const CTransformOptions& options) {
  const CTransBase& inRef = FindReference(from);
  const CTransBase& outRef = FindReference(to);
  const bool mapGrid = options.zone != 0;
  if (mapGrid) CheckZone(options.zone);
  const CGridInt& model = CGridAccess::Model(grid);

  // Each thread its own handler and scratch point; large arrays are shared in pieces
  // between this thread and a helper (as the LAS handler shares its records).
  // (each on its own cache line, since both threads write theirs for every point).
  struct alignas(64) Part {
    CArrayTransform handler;
    CDataPt point;
    std::size_t carried = 0;
  };
  Part parts[CSharedJob::kParts];
  for (Part& part : parts) {
    part.handler.SetSign(SignFactor(options.sign));
    part.handler.PrepareTransform(&inRef, &outRef);
  }
  const auto work = [&](std::size_t piece, int part) {
    const std::size_t start = piece * kPiece;
    const std::size_t n = std::min(kPiece, count - start);
    double* values = zOut + start;
    bool* done = inside + start;
    if (values != z + start) std::copy(z + start, z + start + n, values);
    Part& mine = parts[part];
    mine.handler.TransformPoints(n, x + start, y + start, values, done, &model, &inRef, options.zone, &outRef,
                                 mine.point);
    std::size_t carried = 0;
    for (std::size_t i = 0; i < n; ++i) {
      if (!mapGrid && std::fabs(x[start + i]) > CFileBase::kMapGridThreshold &&
          std::fabs(y[start + i]) > CFileBase::kMapGridThreshold)
        done[i] = false;
      if (done[i])
        ++carried;
      else
        values[i] = std::numeric_limits<double>::quiet_NaN();
    }
    mine.carried += carried;
  };
  const std::size_t pieces = (count + kPiece - 1) / kPiece;
  if (pieces < kPiecesToShare) {
    for (std::size_t piece = 0; piece < pieces; ++piece) work(piece, 0);
  } else {
    CSharedJob job;
    job.Start(pieces, work);
    job.Finish();
  }
  return parts[0].carried + parts[1].carried;
}

void BlockShift(double metres, std::size_t count, const double* z, double* zOut, Sign sign) {
  // The same steps as the programs' block-shift mode: the value minus the output
  // reference's separation.
  const CTrans_BlockShift shift(metres);
  const CDataPt none;
  const double separation = shift.GetSeparation(none, 0.0, 0.0, SignFactor(sign));  // anywhere the same
  for (std::size_t i = 0; i < count; ++i) {
    const double value = z[i] - separation;
    zOut[i] = std::isfinite(z[i]) && std::isfinite(value) ? value : std::numeric_limits<double>::quiet_NaN();
  }
}

}  // namespace marevert
