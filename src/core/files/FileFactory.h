#pragma once
// The one ordered list of file handlers. The first handler whose CanRead accepts a file
// takes it, so the order HTF, ESRI ASCII grid, LAS, generic text puts the weakest test
// last. Handlers of other libraries (the rasters of marevert_gdal) are registered after
// these four, so that they never take a file of the survey formats.
//
// Each kind is registered as a maker of fresh handlers: a batch takes a set of its own
// (MakeHandlers), one per worker when it transforms several files at once.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/files/FileBase.h"
#include "core/files/FileHandlers.h"

class CFileFactory {
 public:
  using Maker = std::function<std::unique_ptr<CFileBase>()>;

  // The process-wide factory, created on first use. Registering is for start-up, before
  // any batch runs; making handler sets may then happen on any thread.
  static CFileFactory* Instance();
  // Deletes the process-wide factory (at program end).
  static void Release();

  // The first handler of the factory's own set that recognises the file; null when none
  // does. The handler stays owned by the factory.
  CFileBase* FindHandler(const std::string& path) const { return m_handlers.Find(path); }
  const std::vector<std::unique_ptr<CFileBase>>& GetHandlers() const { return m_handlers.All(); }
  // Adds a kind of handler at the end of the list.
  void Register(Maker make);
  template <typename Handler>
  void Register() {
    Register([] { return std::make_unique<Handler>(); });
  }
  // A fresh handler of every kind, in list order.
  CFileHandlers MakeHandlers() const;

  CFileFactory();

 private:
  std::vector<Maker> m_makers;
  CFileHandlers m_handlers;  // one of each, for FindHandler
};
