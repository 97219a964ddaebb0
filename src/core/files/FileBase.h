#pragma once
// File handlers: one class per survey format. A handler recognises its format from the
// content alone (CanRead) and transforms one file from an input to an output vertical
// reference (Process), writing two files beside the input: the transformed records
// (named after the output reference) and the untransformed ones (named after the input
// reference). Handlers never show messages; they answer a FileResult.
//
// The batch driver finds a handler with CFileFactory::FindHandler and calls its Process
// directly; Process is the whole entry point (it catches its own failures). Process is
// the same frame for every handler; a handler writes only what differs: a handler that
// streams its input into its two outputs writes Run (and Settle when its outputs need
// more than closing), any other handler writes TransformFile.
//
// Every output is written under a temporary name beside its final one (StageOutput) and
// moved into place when the handler has finished, whatever its result; the handler
// deletes, keeps or corrects it under the temporary name as if it were the final one.
// A process killed part way through a file leaves only the temporary, which the next
// run that writes that output removes.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/common/InputStream.h"
#include "core/common/OutputStream.h"
#include "core/files/SeparationStats.h"
#include "core/grid/DataPt.h"

class CCoordConv;
class CGridInt;
class CStagedFile;
class CTransBase;
class CTransSurface;
class CProcessBase;
class CProgressThrottle;

enum FileResult : int {
  kFileDone = 0,            // transformed, possibly with points excluded
  kFileNotImplemented = 1,  // "File handler not implemented"
  kFileInputError = 2,      // input cannot be opened or does not follow the format
  kFileOutputError = 3,     // an output cannot be created or written
  kFileCancelled = 4,       // the user cancelled during this file
  kFileException = 5,       // a file input/output exception (LAS)
};

class CFileBase {
 public:
  CFileBase();
  virtual ~CFileBase();
  CFileBase(const CFileBase&) = delete;
  CFileBase& operator=(const CFileBase&) = delete;

  // Whether this handler recognises the file. Never throws; unreadable gives false.
  virtual bool CanRead(const std::string& path) = 0;
  // Transforms one file. `grid` is the loaded model (unused in block-shift mode),
  // `process` the running job for progress and cancel (may be null), `zone` the
  // map-grid zone for positions in eastings and northings. Both counts are set to 0 on
  // entry and are valid on every return; the notes are those of this file. An
  // exception that escapes the handler gives kFileException.
  FileResult Process(const std::string& path, const CGridInt* grid, const CTransBase* inRef, const CTransBase* outRef,
                     CProcessBase* process, int zone, std::uint64_t& outside, std::uint64_t& transformed);
  virtual std::string GetFormatName() const = 0;

  // The path the output for `ref` is written to: MakeOutputName, unless the handler
  // writes its outputs in another format than the input's.
  virtual std::string GetOutputPath(const CTransBase* ref, const std::string& path);
  // What the handler has to say about the last file beyond its result and counts, one
  // line each (the batch lists them with the file's messages). The survey handlers say
  // nothing.
  const std::vector<std::string>& GetNotes() const { return m_notes; }
  // The separation applied to the values the last file carried over (every handler).
  const CSeparationStats& GetSeparation() const { return m_separation; }

  // Above this magnitude (both coordinates) a position is an easting and a northing in
  // metres, else a longitude and a latitude in degrees.
  static constexpr double kMapGridThreshold = 200.0;

  // The output name for `ref`: "_" and the reference's short name inserted before the
  // last "." of the file name; "" when the file name has no "." (creating it then fails).
  static std::string MakeOutputName(const CTransBase* ref, const std::string& path);

  // The sign factor of the next files (+1.0 heights positive, -1.0 depths positive);
  // without one (the programs) the class-wide CTransBase::s_sign in force applies.
  void SetSign(std::optional<double> sign) { m_sign = sign; }
  // The sign factor the next files are transformed with.
  double GetSign() const;

  // Chooses grid or block-shift mode for the next file: no grid exactly for the pair
  // "NULL" -> "Block Shift" (display names, case-sensitive).
  void PrepareTransform(const CTransBase* inRef, const CTransBase* outRef);

  // Carries z (metres) from inRef to outRef at position (a, b): a is the longitude or
  // easting, b the latitude or northing; both above 200 in magnitude means map-grid
  // coordinates in `zone`. False, z unchanged, for a position outside the grid and for
  // any non-finite input (which would otherwise give nonsense or undefined conversions).
  bool TransformPoint(double a, double b, const CGridInt* grid, const CTransBase* inRef, int zone,
                      const CTransBase* outRef, double& z);

  // TransformPoint for `count` points, with the same result point by point:
  // transformed[i] tells whether z[i] was carried over. The cells of a batch are found
  // before any of them is read, so that their memory is fetched side by side. Changes no
  // member (the interpolated surfaces go to `point`, the separation applied to each
  // value carried over to `separation` when given, and to given[i] when given), so
  // several threads may work on separate points at once.
  void TransformPoints(std::size_t count, const double* a, const double* b, double* z, bool* transformed,
                       const CGridInt* grid, const CTransBase* inRef, int zone, const CTransBase* outRef,
                       CDataPt& point, CSeparationStats* separation = nullptr, double* given = nullptr) const;

 protected:
  // The arguments of one Process call.
  struct Task {
    const CGridInt* grid;
    const CTransBase* inRef;
    const CTransBase* outRef;
    CProcessBase* process;
    int zone;
    std::uint64_t& outside;
    std::uint64_t& transformed;
  };
  // The three files of a handler that streams its input into its two outputs.
  struct Streams {
    CInputStream input;
    COutputStream transformedFile, excludedFile;
  };

  // Everything of one file inside Process's frame. The default is the streaming
  // handlers' shape: OpenFiles, then Run and Settle once all three files are open.
  virtual FileResult TransformFile(const std::string& path, const Task& task);
  // A streaming handler's reading and writing between opening and closing its files.
  virtual FileResult Run(Streams& files, const Task& task);
  // Closes the files after Run and settles its result. The default is CloseFiles with
  // the transformed count and the outside count as the outputs' record counts.
  virtual FileResult Settle(FileResult result, Streams& files, const Task& task);

  // The first steps of every Process: opens the input (2 when it cannot be opened), then
  // creates the transformed file and the excluded file (3 when either cannot be created;
  // a transformed file already created is closed and left empty). kFileDone when all
  // three are open. The outputs are staged (StageOutput): GetPath names the temporary.
  FileResult OpenFiles(const std::string& path, const CTransBase* inRef, const CTransBase* outRef, CInputStream& input,
                       COutputStream& transformedFile, COutputStream& excludedFile);

  // The path to write the output `finalPath` to: its temporary (CStagedFile::PartialPath),
  // from which a file a killed run left is removed first. Once the handler has created
  // it, the file of the final name goes (as creating that would have emptied it), see
  // ReplaceFinal; Process moves the temporary into place when the handler returns. ""
  // (which no writer opens) when the final file could not be opened for writing, as
  // creating it would have failed; `error` (when given) then says why.
  std::string StageOutput(const std::string& finalPath, std::string* error = nullptr);
  // Removes the file `finalPath` that a staged output is about to replace.
  static void ReplaceFinal(const std::string& finalPath);
  // A further file written beside a staged output's temporary (a raster's side file),
  // moved beside the final output with it.
  void StageSideFile(const std::string& finalPath, const std::string& sideTempPath);

  // Closes the input and both outputs and deletes an output whose record count is 0,
  // and settles the outcome of the reading that went before: kFileDone becomes
  // kFileInputError after a read error and kFileOutputError when writing out an output
  // failed; any other `result` stands.
  static FileResult CloseFiles(FileResult result, CInputStream& input, COutputStream& transformedFile,
                               COutputStream& excludedFile, std::uint64_t transformedRecords,
                               std::uint64_t excludedRecords);

  // Sends `percent` to the job's window (only when it passes the throttle rule) and
  // answers whether the user asked to cancel. A null job never cancels.
  static bool ReportProgress(CProcessBase* process, CProgressThrottle& throttle, long long percent);
  // ReportProgress with the share of the input read up to `position` (the text
  // handlers' measure: the input position after the line just written).
  static bool ReportProgressRead(CProcessBase* process, CProgressThrottle& throttle, std::uint64_t position,
                                 const CInputStream& input);

  bool m_useGrid = true;
  CDataPt m_point;                   // the interpolated surfaces at the current position
  std::vector<std::string> m_notes;  // GetNotes
  CSeparationStats m_separation;     // GetSeparation

 private:
  // What PrepareTransform found the pair of references to read: while TransformPoint is
  // called with that pair, only these surfaces are interpolated (m_point's other codes
  // are then stale).
  const CTransBase* m_preparedIn = nullptr;
  const CTransBase* m_preparedOut = nullptr;
  int m_surfaces[2] = {};
  int m_surfaceCount = 0;
  bool m_allSurfaces = true;
  const CCoordConv* m_coordConv = nullptr;
  // The two references when they are grid surfaces (their separation then comes from
  // the decoded value directly).
  const CTransSurface* m_inSurface = nullptr;
  const CTransSurface* m_outSurface = nullptr;
  std::optional<double> m_sign;
  // This file's staged outputs, moved into place at the end of Process.
  std::vector<std::unique_ptr<CStagedFile>> m_staged;

  // Moves every staged output that exists into place and settles the result: a move that
  // fails makes kFileDone an output error (its reason in the notes), and a cancelled
  // file whose outputs are left says they are partial.
  FileResult PublishOutputs(FileResult result);
};
