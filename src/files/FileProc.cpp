#include "files/FileProc.h"

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "common/ClassicText.h"
#include "common/FileHandle.h"
#include "common/PathUtil.h"
#include "files/FileBase.h"
#include "files/FileFactory.h"
#include "grid/GridInt.h"
#include "process/Messenger.h"
#include "trans/TransBase.h"

namespace fs = std::filesystem;

namespace {

// The local date and time in the "C" locale's words, the same in every process locale.
std::string FormatLocalTime(const char* format) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return ClassicStrftime(format, local);
}

// printf-style text of integers and strings, which no locale changes.
template <typename... Args>
std::string Format(const char* format, Args... args) {
  const int length = std::snprintf(nullptr, 0, format, args...);
  if (length <= 0) return std::string();
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  std::snprintf(text.data(), text.size(), format, args...);
  text.resize(static_cast<std::size_t>(length));
  return text;
}

bool CanOpenForReading(const std::string& path) { return CFileHandle(path, "rb").IsOpen(); }

// A path with links and "." / ".." resolved as far as it exists; the path itself when
// even that fails.
std::string CanonicalText(const std::string& path) {
  std::error_code ec;
  const fs::path canonical = fs::weakly_canonical(fs::path(path), ec);
  return ec ? path : canonical.string();
}

// The inputs of one batch, to refuse outputs that would replace any of them.
class CInputGuard {
 public:
  explicit CInputGuard(const std::vector<std::string>& files) : m_files(files) {
    for (const std::string& file : files) m_canonical.insert(CanonicalText(file));
  }

  // Whether writing `output` would replace an input of the batch. A name that resolves
  // to an input is refused; so is an existing file that is a hard link to one.
  bool IsInput(const std::string& output) const {
    if (output.empty()) return false;  // the handler itself fails on an empty name
    if (m_canonical.count(CanonicalText(output)) != 0) return true;
    std::error_code ec;
    if (!fs::exists(output, ec) || fs::hard_link_count(output, ec) <= 1 || ec) return false;
    for (const std::string& file : m_files) {
      if (fs::equivalent(output, file, ec) && !ec) return true;
    }
    return false;
  }

 private:
  const std::vector<std::string>& m_files;
  std::set<std::string> m_canonical;
};

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

void CFileProc::Run() {
  std::vector<std::string> messages;
  std::set<std::string> formats;
  int handled = 0, filesOk = 0, filesWithErrors = 0;
  std::uint64_t totalPoints = 0;
  const std::vector<std::string>& files = *m_files;
  const int fileCount = static_cast<int>(files.size());
  const CInputGuard inputs(files);
  CFileFactory* factory = CFileFactory::Instance();
  m_outcomes.clear();
  m_summary.clear();

  for (const std::string& path : files) {
    const auto noHandler = [&](const char* text) {
      messages.insert(messages.end(), {"", "Error with file: " + path, text});
      m_outcomes.push_back({path, "", kNoHandler, text});
      ++filesWithErrors;
    };
    if (!CanOpenForReading(path)) {
      noHandler("Cannot open the file");
      continue;
    }
    CFileBase* handler = factory ? factory->FindHandler(path) : nullptr;
    if (handler == nullptr) {
      noHandler("Cannot recognise the file format");
      continue;
    }
    const std::string format = handler->GetFormatName();
    formats.insert(format);
    ++handled;
    SetText(Format("Processing file %d of %d (%s format)", handled, fileCount, format.c_str()));

    std::uint64_t outside = 0, transformed = 0;
    int result = kFileOutputError;
    std::vector<std::string> notes;
    // Both outputs are created (and an existing file of the name replaced) before the
    // first record is read, so a clash with an input is refused before the handler runs.
    if (!inputs.IsInput(handler->GetOutputPath(m_outputRef, path)) &&
        !inputs.IsInput(handler->GetOutputPath(m_inputRef, path))) {
      handler->SetSign(m_sign);
      result = handler->Process(path, m_grid, m_inputRef, m_outputRef, this, m_zone, outside, transformed);
      notes = handler->GetNotes();
    }
    m_outcomes.push_back(
        {path, format, result, result == kFileDone ? std::string() : GetResultText(result), transformed, outside});
    totalPoints += transformed;
    // A handler's notes follow the file's error, or stand as a block of their own.
    if (result != kFileDone) {
      ++filesWithErrors;
      messages.insert(messages.end(), {"", "Error with file: " + path, GetResultText(result)});
    } else {
      ++filesOk;
      if (!notes.empty()) messages.insert(messages.end(), {"", "Note for file: " + path});
    }
    messages.insert(messages.end(), notes.begin(), notes.end());
    if (outside != 0) {
      messages.insert(messages.end(),
                      {"", "Warning for file: " + path,
                       Format("%llu points were outside the grid/excluded", static_cast<unsigned long long>(outside))});
    }
    if (IsCancelled()) {
      messages.insert(messages.end(), {"", "WARNING processing interrupted, not all files processed"});
      break;
    }
  }

  messages.push_back(Format("Files OK: %d, files with errors: %d", filesOk, filesWithErrors));
  messages.push_back(Format("Processed %d file(s) of %d", handled, fileCount));
  m_filesOk = filesOk;
  m_filesWithErrors = filesWithErrors;
  m_filesHandled = handled;

  const std::string logPath = (files.empty() ? std::string() : GetFolderPart(files.back())) + "Log.txt";
  bool logWritten = false;
  // A survey file named Log.txt in that folder is an input, not an old log: keep it.
  CFileHandle log;
  if (!inputs.IsInput(logPath) && log.Open(logPath, "w")) {
    std::fprintf(log.Get(), "Marevert Log File\nGenerated: %s\n\n", FormatLocalTime("%c").c_str());
    for (const std::string& line : messages) std::fprintf(log.Get(), "%s\n", line.c_str());
    logWritten = std::ferror(log.Get()) == 0;
    logWritten = log.Close() && logWritten;
  }
  messages.push_back("");
  messages.push_back(logWritten ? "Summary log file written to:" : "Error generating log file:");
  messages.push_back(logPath);

  m_summary = messages;
  GetMessenger().ShowMessageList("Processing summary", messages);
  if (m_writeApplicationLog) WriteApplicationLog(totalPoints, formats);
}

// Opens the application log in `folder` for appending, first deleting a log that has
// grown beyond the limit; null when it cannot be opened.
CFileHandle OpenApplicationLog(const std::string& folder) {
  const std::string path = folder + "Application Log.txt";
  std::error_code ec;
  const std::uintmax_t size = fs::file_size(path, ec);
  if (!ec && size > CFileProc::kApplicationLogLimit) fs::remove(path, ec);
  return CFileHandle(path, "a");
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
  std::fprintf(log.Get(), "%s\t%s\t%s\t%s\t%llu\t%s\t%s\n", FormatLocalTime("%d/%m/%Y %H:%M").c_str(),
               m_inputRef->GetName().c_str(), m_outputRef->GetName().c_str(), formatList.c_str(),
               static_cast<unsigned long long>(totalPoints), gridFile.c_str(),
               ClassicFixed(m_sign ? *m_sign : CTransBase::s_sign, 0).c_str());
}
