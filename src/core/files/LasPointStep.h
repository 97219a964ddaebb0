#pragma once
// The per-point step of the LAS handler on point records in memory, wherever they came
// from (read as they are, or decoded from LAZ chunks): each record's X, Y and Z give its
// position and height, the height is carried to the output reference, and the new Z is
// written over the old one; the record is marked for the transformed file (its height
// was carried and the new Z fits) or the excluded file, and summed up for that output's
// header. Every other byte of a record stays as it is.
//
// A record's new Z is its stored Z plus the metres its height was given, in units of
// the Z scale rounded to the nearest (halves away from zero): the file keeps its own Z
// resolution (millimetres stay millimetres), and neither the offset nor the height
// passes through a rounding of its own, so no point can come out one unit off.
//
// Records are stepped through on several threads at once, each with scratch of its own
// (CSharedJob's parts); what the threads gathered is put together at the end.

#include <cstddef>
#include <functional>
#include <memory>

#include "core/files/LasRecordSummary.h"
#include "core/files/SeparationStats.h"

class CDataPt;
class CLasHeader;

class CLasPointStep {
 public:
  // Carries the heights z[0..count) at positions (a, b) to the output reference in
  // place; transformed[i] tells whether z[i] was carried, given[i] then the metres it
  // was given. The positions are scratch that the transform may change. Called on two
  // threads at once, each with a point of its own for the interpolated surfaces and a
  // tally of its own for the separation applied.
  using Transform = std::function<void(std::size_t count, double* a, double* b, double* z, bool* transformed,
                                       double* given, CDataPt& point, CSeparationStats& separation)>;
  // Sends the percentage of a pass's records done; true when the user asked to cancel.
  using Progress = std::function<bool(long long percent)>;

  // The records the header describes (their length, scales and offsets).
  explicit CLasPointStep(const CLasHeader& header);
  ~CLasPointStep();
  CLasPointStep(const CLasPointStep&) = delete;
  CLasPointStep& operator=(const CLasPointStep&) = delete;

  // Steps through the `count` records at `records` on thread `part` with `transform`:
  // inside[i] becomes 1 when record i goes to the transformed file, else 0.
  void Apply(char* records, std::size_t count, unsigned char* inside, int part, const Transform& transform);

  // What the threads gathered: the separation applied to the records transformed, and
  // what the records marked for an output (0 excluded, 1 transformed) hold.
  CSeparationStats Separation() const;
  CLasRecordSummary Summary(unsigned char output) const;

 private:
  struct CScratch;

  std::size_t m_recordLength;
  double m_scale[3], m_offset[3];
  std::unique_ptr<CScratch[]> m_scratch;  // one per thread
};
