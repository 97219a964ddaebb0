#pragma once
// The one ordered list of file handlers. The first handler whose CanRead accepts a file
// takes it, so the order HTF, ESRI ASCII grid, LAS, generic text puts the weakest test
// last. Handlers of other libraries (the rasters of marevert_gdal) are registered after
// these four, so that they never take a file of the survey formats.

#include <memory>
#include <string>
#include <vector>

#include "files/FileBase.h"

class CFileFactory {
 public:
  // The process-wide factory, created on first use (no locking: one batch job at a time).
  static CFileFactory* Instance();
  // Deletes the process-wide factory (at program end).
  static void Release();

  // The first handler in list order that recognises the file; null when none does. The
  // handler stays owned by the factory.
  CFileBase* FindHandler(const std::string& path) const;
  const std::vector<std::unique_ptr<CFileBase>>& GetHandlers() const { return m_handlers; }
  // Adds a handler at the end of the list.
  void Register(std::unique_ptr<CFileBase> handler);

  CFileFactory();

 private:
  std::vector<std::unique_ptr<CFileBase>> m_handlers;
};
