#pragma once
// An output written under a temporary name beside its final path and moved into place
// when written: a reader of the final name never sees a half-written file.
//
// Two namings. kUnique (the grid export, the result file): the temporary is unique to
// this process and object, removed again unless committed, so a failed or cancelled write
// leaves nothing and keeps the file of that name that was there before. kBesideFinal (the
// outputs of the file handlers): the temporary's name follows from the final name
// (PartialPath), so that a run finds and removes what a killed run left behind; the
// handlers' result rules then decide what is moved into place.

#include <string>

class CStagedFile {
 public:
  enum class Naming { kUnique, kBesideFinal };

  explicit CStagedFile(std::string finalPath, Naming naming = Naming::kUnique);
  // A file already written at `tempPath` (a side file GDAL wrote beside a kBesideFinal
  // temporary), to be moved to `finalPath` like one.
  CStagedFile(std::string finalPath, std::string tempPath);
  // Removes a kUnique temporary unless it was committed. A kBesideFinal one stays where
  // a failed move left it, for the user to see; the next run removes it.
  ~CStagedFile();
  CStagedFile(const CStagedFile&) = delete;
  CStagedFile& operator=(const CStagedFile&) = delete;

  const std::string& GetTempPath() const { return m_tempPath; }
  const std::string& GetFinalPath() const { return m_finalPath; }

  // The kBesideFinal temporary of `finalPath`: ".marevert-partial" inserted before the
  // file name's extension ("run1_AHD.xyz" is written as "run1_AHD.marevert-partial.xyz"),
  // so that drivers that go by the extension see the final one. No output of a handler
  // is named so: theirs end in "_" and a reference's short name before the extension.
  static std::string PartialPath(const std::string& finalPath);
  // Where a file written beside the kBesideFinal temporary of `finalPath` belongs: the
  // temporary's name up to the marker replaced by the final name's ("x.marevert-partial.prj"
  // beside "x.tif" becomes "x.prj", "x.marevert-partial.tif.aux.xml" becomes
  // "x.tif.aux.xml"); "" for a file that does not begin so.
  static std::string SiblingFinalPath(const std::string& finalPath, const std::string& sibling);

  // Removes a file left at the temporary's name (by a process killed while writing it).
  void RemoveStale() const;
  // Whether the file at the final path, if there is one, may be replaced: false, with
  // the system's reason in `error`, where opening it for writing would fail (a folder,
  // a file that may not be written). The file is left as it is.
  bool CanReplaceFinal(std::string& error) const;
  // Renames the written temporary file to the final path, replacing what is there.
  // False, with the system's reason in `error`, when that fails.
  bool Commit(std::string& error);
  // Commit when the temporary exists; `moved` tells whether it did. A temporary its
  // writer removed again (an output that received nothing) leaves nothing to do.
  bool CommitIfWritten(bool& moved, std::string& error);

 private:
  std::string m_finalPath;
  std::string m_tempPath;
  Naming m_naming;
  bool m_committed = false;
};
