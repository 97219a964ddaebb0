#pragma once
// The batch job: transforms a list of survey files one by one with the handler that
// recognises each, collects what went wrong in a message list, writes the batch log
// beside the last file, shows the "Processing summary" and appends one line to the
// application log (beside the program, or in the user's state folder when the program
// folder cannot be written).
//
// A file's handler may add notes (lines of its own) to the file's messages: under the
// file's error, or after a "Note for file: " line when the file was transformed.
//
// With several jobs (SetJobs, the command line's --jobs), that many files are
// transformed at once, each worker with handlers of its own; the summary, the batch log
// and the application log are those of a run of one file after another (ReportBatch).
// The progress text then counts the files done; a cancel stops every running file and
// no further file is started.
//
// No output of the batch may replace one of its inputs: a file whose transformed or
// excluded output name is (after resolving links) another input of the same batch, or
// the input itself, is refused with the output error and nothing is written for it; a
// batch log that would replace an input is not written ("Error generating log file:").

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/batch/BatchReport.h"
#include "core/batch/FileOutcome.h"
#include "core/jobs/ProcessBase.h"

class CBatchInputs;
class CFileBase;
class CFileHandlers;
class CGridInt;
class CTransBase;

class CFileProc : public CProcessBase {
 public:
  // None of the pointers is owned; all outlive the job. `files` are full paths in the
  // order of the page's list.
  CFileProc(const CGridInt* grid, const std::vector<std::string>* files, const CTransBase* inputRef,
            const CTransBase* outputRef, int zone);

  void Run() override;

  // The sign factor of this batch (+1.0 or -1.0); without one (the programs) the
  // class-wide CTransBase::s_sign in force when the batch runs.
  void SetSign(double sign) { m_sign = sign; }
  // Whether Run appends its line to the application log (a library caller, whose
  // program folder belongs to another program, turns it off).
  void SetWriteApplicationLog(bool write) { m_writeApplicationLog = write; }
  // How many files Run transforms at once (1, the default: one after another).
  void SetJobs(int jobs) { m_jobs = jobs; }
  // Where Run writes the batch log; "" (the default): Log.txt in the last file's folder.
  void SetLogPath(std::string path) { m_logPath = std::move(path); }
  // Called on the worker thread of a batch run one file after another, with the number
  // of files finished and the file count: before each file and after the last (not
  // after a cancel). A library caller makes the batch's percentage from it and the
  // handlers' percentage of the file in hand.
  using FileStep = std::function<void(std::size_t done, std::size_t count)>;
  void SetFileStep(FileStep step) { m_fileStep = std::move(step); }

  // Appends "date<TAB>from<TAB>to<TAB>formats<TAB>points<TAB>grid file<TAB>sign" to
  // "Application Log.txt" in the program folder or, when it cannot be opened there, in
  // GetUserStateFolder (sign: the batch's sign factor), first deleting a log that has
  // grown beyond kApplicationLogLimit bytes. Silently does nothing when it can be opened
  // in neither.
  void WriteApplicationLog(std::uint64_t totalPoints, const std::set<std::string>& formats) const;

  static constexpr std::uintmax_t kApplicationLogLimit = 10 * 1048576;  // bytes

  // The counts of the last Run: files a handler transformed without error, files with
  // an error of any kind, and files that reached a handler.
  int GetFilesOk() const { return m_report.filesOk; }
  int GetFilesWithErrors() const { return m_report.filesWithErrors; }
  int GetFilesHandled() const { return m_report.filesHandled; }
  // Whether the last Run was cancelled before it reached every file (its summary says
  // so).
  bool WasInterrupted() const { return m_interrupted; }

  // The message for a handler result code.
  static const char* GetResultText(int result);

  // What became of each file the last Run reached, in list order: its handler's format
  // and result (kFileDone or an error code) with both counts, or, for a file no handler
  // took, an empty format and the message the summary gives it.
  using FileOutcome = CFileOutcome;
  static constexpr int kNoHandler = CFileOutcome::kNoHandler;
  const std::vector<FileOutcome>& GetFileOutcomes() const { return m_outcomes; }
  // The lines of the last Run's "Processing summary", as shown.
  const std::vector<std::string>& GetSummary() const { return m_report.summary; }

 private:
  // One file with one set of handlers, reporting to `process`; `starting` is called
  // with the handler's format name once a handler has taken the file.
  FileOutcome TransformFile(const std::string& path, const CFileHandlers& handlers, const CBatchInputs& inputs,
                            CProcessBase* process, const std::function<void(const std::string&)>& starting) const;
  // The files one after another, as the desktop program's batch has always run them.
  void RunInOrder(const CBatchInputs& inputs);
  // Up to m_jobs files at once, each worker with handlers of its own.
  void RunAtOnce(const CBatchInputs& inputs, int workers);

  const CGridInt* m_grid;
  const std::vector<std::string>* m_files;
  const CTransBase* m_inputRef;
  const CTransBase* m_outputRef;
  int m_zone;
  std::optional<double> m_sign;
  bool m_writeApplicationLog = true;
  int m_jobs = 1;
  std::string m_logPath;
  FileStep m_fileStep;
  bool m_interrupted = false;
  std::vector<FileOutcome> m_outcomes;
  CBatchReport m_report;  // of the last Run
};
