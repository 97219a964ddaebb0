#include "core/batch/FileProc.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "core/batch/BatchInputs.h"
#include "core/batch/BatchReport.h"
#include "core/batch/FileWorkers.h"
#include "core/common/ClassicTime.h"
#include "core/common/FileHandle.h"
#include "core/common/NumberText.h"
#include "core/common/PathUtil.h"
#include "core/common/StagedFile.h"
#include "core/files/FileBase.h"
#include "core/files/FileFactory.h"
#include "core/grid/GridInt.h"
#include "core/jobs/Messenger.h"
#include "core/trans/CoordConv.h"
#include "core/trans/TransBase.h"

namespace fs = std::filesystem;

namespace {

bool CanOpenForReading(const std::string& path) { return CFileHandle(path, "rb").IsOpen(); }

// Opens the application log in `folder` for appending, first deleting a log that has
// grown beyond the limit; null when it cannot be opened.
CFileHandle OpenApplicationLog(const std::string& folder) {
  const std::string path = folder + "Application Log.txt";
  std::error_code ec;
  const std::uintmax_t size = fs::file_size(path, ec);
  if (!ec && size > CFileProc::kApplicationLogLimit) fs::remove(path, ec);
  return CFileHandle(path, "a");
}

}  // namespace

CFileProc::CFileProc(const CGridInt* grid, const std::vector<std::string>* files, const CTransBase* inputRef,
                     const CTransBase* outputRef, int zone)
    : m_grid(grid), m_files(files), m_inputRef(inputRef), m_outputRef(outputRef), m_zone(zone) {}

const char* CFileProc::GetResultText(int result) {
  switch (result) {
    case kFileNotImplemented:
      return "File handler not implemented";
    case kFileInputError:
      return "Input file error: cannot open file, or file format error";
    case kFileOutputError:
      return "Output file error: cannot open file, or cannot write to file";
    case kFileCancelled:
      return "Processing cancelled by user";
    case kFileException:
      return "File input/output processing exception";
    default:
      return "Unknown error type";
  }
}

CFileProc::FileOutcome CFileProc::TransformFile(const std::string& path, const CFileHandlers& handlers,
                                                const CBatchInputs& inputs, CProcessBase* process,
                                                const std::function<void(const std::string&)>& starting) const {
  FileOutcome outcome;
  outcome.path = path;
  if (!CanOpenForReading(path)) {
    outcome.message = "Cannot open the file";
    return outcome;
  }
  CFileBase* handler = handlers.Find(path);
  if (handler == nullptr) {
    outcome.message = "Cannot recognise the file format";
    return outcome;
  }
  outcome.format = handler->GetFormatName();
  if (starting) starting(outcome.format);

  const auto start = std::chrono::steady_clock::now();
  int result = kFileOutputError;
  // Both outputs are created (and an existing file of the name replaced) before the
  // first record is read, so a clash with an input is refused before the handler runs;
  // so is an input at an output's temporary name, which the handler would remove as
  // what a killed run left.
  const auto clashes = [&inputs](const std::string& output) {
    return inputs.IsInput(output) || (!output.empty() && inputs.IsInput(CStagedFile::PartialPath(output)));
  };
  if (!clashes(handler->GetOutputPath(m_outputRef, path)) && !clashes(handler->GetOutputPath(m_inputRef, path))) {
    handler->SetSign(m_sign);
    result =
        handler->Process(path, m_grid, m_inputRef, m_outputRef, process, m_zone, outcome.outside, outcome.transformed);
    outcome.notes = handler->GetNotes();
    outcome.separation = handler->GetSeparation();
  }
  outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  outcome.result = result;
  if (result != kFileDone) outcome.message = GetResultText(result);
  return outcome;
}

void CFileProc::RunInOrder(const CBatchInputs& inputs) {
  const CFileHandlers handlers = CFileFactory::Instance()->MakeHandlers();
  const std::string fileCount = std::to_string(inputs.Files().size());
  int handled = 0;
  const auto starting = [&](const std::string& format) {
    ++handled;
    SetText("Processing file " + std::to_string(handled) + " of " + fileCount + " (" + format + " format)");
  };
  const std::size_t count = inputs.Files().size();
  for (const std::string& path : inputs.Files()) {
    if (m_fileStep) m_fileStep(m_outcomes.size(), count);
    m_outcomes.push_back(TransformFile(path, handlers, inputs, this, starting));
    // The flag is looked at after each file that reached a handler (and by the handlers).
    if (m_outcomes.back().result != kNoHandler && IsCancelled()) {
      m_interrupted = true;
      return;
    }
  }
  if (m_fileStep) m_fileStep(count, count);
}

void CFileProc::RunAtOnce(const CBatchInputs& inputs, int workers) {
  // Shared singletons are made here, before the workers would make them at once.
  CCoordConv::Instance();
  std::vector<CFileHandlers> handlers;
  for (int worker = 0; worker < workers; ++worker) handlers.push_back(CFileFactory::Instance()->MakeHandlers());
  const auto step = [&](std::size_t index, CProcessBase& job, int worker) {
    return TransformFile(inputs.Files()[index], handlers[static_cast<std::size_t>(worker)], inputs, &job, nullptr);
  };
  m_outcomes = CFileWorkers::Run(*this, inputs.Files().size(), workers, step, m_interrupted);
}

void CFileProc::Run() {
  const CBatchInputs inputs(*m_files);
  m_outcomes.clear();
  m_report.summary.clear();
  m_interrupted = false;

  const int workers =
      static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(std::max(m_jobs, 1)), inputs.Files().size()));
  if (workers > 1)
    RunAtOnce(inputs, workers);
  else
    RunInOrder(inputs);

  m_report = ReportBatch(inputs, m_outcomes, m_interrupted, m_logPath);
  GetMessenger().ShowMessageList("Processing summary", m_report.summary);
  if (m_writeApplicationLog) WriteApplicationLog(m_report.totalPoints, m_report.formats);
}

void CFileProc::WriteApplicationLog(std::uint64_t totalPoints, const std::set<std::string>& formats) const {
  // Beside the program when it may be written there (the build tree, a user's own
  // prefix); an installed program run by an ordinary user writes in the user's state
  // folder instead, created only then.
  std::string folder;
  CFileHandle log;
  if (GetProgramFolder(folder)) log = OpenApplicationLog(folder);
  if (!log.IsOpen() && GetUserStateFolder(folder)) log = OpenApplicationLog(folder);
  if (!log.IsOpen()) return;

  std::string formatList;
  for (const std::string& format : formats) {
    if (!formatList.empty()) formatList += ", ";
    formatList += format;
  }
  const std::string gridFile = m_grid ? GetFileNamePart(m_grid->GetFilePath()) : std::string();
  std::fprintf(log.Get(), "%s\t%s\t%s\t%s\t%llu\t%s\t%s\n", ClassicLocalTime("%d/%m/%Y %H:%M").c_str(),
               m_inputRef->GetName().c_str(), m_outputRef->GetName().c_str(), formatList.c_str(),
               static_cast<unsigned long long>(totalPoints), gridFile.c_str(),
               ClassicFixed(m_sign ? *m_sign : CTransBase::s_sign, 0).c_str());
}
