#pragma once
// LAS point clouds (ASPRS LAS 1.0 to 1.4), uncompressed or compressed (LAZ, and COPC,
// which is LAZ). Only the Z of each point record changes; every other byte is copied.
// Each output receives the header and variable-length records, its share of the point
// records in input order and everything after the points; afterwards its header's
// counts, extent and points by return are made to describe the records it holds.
//
// A LAZ file's outputs are LAZ with the input's LASzip record (items, versions, chunk
// size): its chunks are decoded, their records go through the same per-point step, and
// each output's records are coded into chunks of its own (CLazRecordPipeline; what
// surrounds the chunks: CLazFraming). A COPC file's outputs are plain LAZ, with a note.
//
// Before any output is created the header and its records are looked at: a file whose
// records run past its point data, or a LAZ file whose chunks the handler cannot
// decode, is refused with a note; a CRS the file declares decides how its X and Y are
// read (an MGA or UTM zone of its own, or latitude and longitude), else the batch's rule
// applies.

#include <memory>

#include "core/files/FileBase.h"
#include "core/files/LasRecordSummary.h"

class CLasHeader;
class CLazFraming;

class CFileLAS : public CFileBase {
 public:
  CFileLAS();
  ~CFileLAS() override;

  bool CanRead(const std::string& path) override;
  std::string GetFormatName() const override { return "LAS"; }

  // Corrects an output's header for the `newCount` points it holds of the input's
  // `inputCount`, the records that went to the other file taking `bytesRemoved` bytes:
  // the legacy count (when not 0), and from 1.3 the waveform start, from 1.4 the
  // extended record start (when not 0) and the 64-bit count; these stay as they are
  // when the file holds every point. With `records` (what the file's records hold), the
  // extent and the points by return too, also when it holds every point. False on a
  // file error, the file then left as it was.
  static bool UpdateHeader(const std::string& path, std::uint64_t newCount, std::uint64_t inputCount,
                           std::uint64_t bytesRemoved, const CLasRecordSummary* records = nullptr);

 protected:
  // Examine, then the streaming frame of every handler.
  FileResult TransformFile(const std::string& path, const Task& task) override;
  FileResult Run(Streams& files, const Task& task) override;
  // After a complete run: closes the files, deletes an empty output and corrects the
  // other's header. After an error or a cancel the outputs stay as they were written.
  FileResult Settle(FileResult result, Streams& files, const Task& task) override;

 private:
  // Reads the header and variable-length records of the input before any output is
  // created: kFileInputError with a note when they do not describe a LAS file the
  // handler can copy (or a LAZ file whose chunks it can decode); else notes what the
  // file's CRS decides, and the zone and the reading of positions for Run.
  FileResult Examine(const std::string& path, int batchZone);
  // Run for a LAZ input: its chunks, and what surrounds them.
  FileResult RunLaz(Streams& files, const Task& task, const CLasHeader& header);
  // Carries a block of the records' heights (CLasPointStep::Transform).
  void TransformHeights(std::size_t count, double* a, double* b, double* z, bool* transformed, double* given,
                        CDataPt& point, CSeparationStats& separation, const Task& task) const;

  // How Run reads positions: the map-grid zone, and whether X and Y are always a
  // longitude and a latitude (a geographic CRS).
  int m_zone = 0;
  bool m_geographic = false;
  // What Run leaves for Settle: the input's point count and record length, and what the
  // records that went to each output hold.
  std::uint64_t m_pointCount = 0, m_recordLength = 0;
  CLasRecordSummary m_transformedRecords, m_excludedRecords;
  // A LAZ input's framing (from Examine), and where each output's chunk table and what
  // follows it start (from RunLaz): [0] the excluded file's, [1] the transformed file's.
  std::unique_ptr<CLazFraming> m_laz;
  std::uint64_t m_tableOffsets[2] = {}, m_tableEnds[2] = {};
};
