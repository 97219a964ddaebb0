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
// No output of the batch may replace one of its inputs: a file whose transformed or
// excluded output name is (after resolving links) another input of the same batch, or
// the input itself, is refused with the output error and nothing is written for it; a
// batch log that would replace an input is not written ("Error generating log file:").

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "process/ProcessBase.h"

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

  // Appends "date<TAB>from<TAB>to<TAB>formats<TAB>points<TAB>grid file<TAB>sign" to
  // "Application Log.txt" in the program folder or, when it cannot be opened there, in
  // GetUserStateFolder (sign: the batch's sign factor), first deleting a log that has
  // grown beyond kApplicationLogLimit bytes. Silently does nothing when it can be opened
  // in neither.
  void WriteApplicationLog(std::uint64_t totalPoints, const std::set<std::string>& formats) const;

  static constexpr std::uintmax_t kApplicationLogLimit = 10 * 1048576;  // bytes

  // The counts of the last Run: files a handler transformed without error, files with
  // an error of any kind, and files that reached a handler.
  int GetFilesOk() const { return m_filesOk; }
  int GetFilesWithErrors() const { return m_filesWithErrors; }
  int GetFilesHandled() const { return m_filesHandled; }

  // The message for a handler result code.
  static const char* GetResultText(int result);

  // What became of each file the last Run reached, in list order: its handler's format
  // and result (kFileDone or an error code) with both counts, or, for a file no handler
  // took, an empty format and the message the summary gives it.
  struct FileOutcome {
    std::string path, format;
    int result = kNoHandler;
    std::string message;  // "" for kFileDone
    std::uint64_t transformed = 0, outside = 0;
  };
  static constexpr int kNoHandler = -1;
  const std::vector<FileOutcome>& GetFileOutcomes() const { return m_outcomes; }
  // The lines of the last Run's "Processing summary", as shown.
  const std::vector<std::string>& GetSummary() const { return m_summary; }

 private:
  const CGridInt* m_grid;
  const std::vector<std::string>* m_files;
  const CTransBase* m_inputRef;
  const CTransBase* m_outputRef;
  int m_zone;
  std::optional<double> m_sign;
  bool m_writeApplicationLog = true;
  int m_filesOk = 0, m_filesWithErrors = 0, m_filesHandled = 0;
  std::vector<FileOutcome> m_outcomes;
  std::vector<std::string> m_summary;
};
