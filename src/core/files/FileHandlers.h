#pragma once
// One handler of each kind, in the factory's order. A handler keeps the state of the
// file it is transforming, so a batch (and each of a parallel batch's workers) works
// with a set of its own.

#include <memory>
#include <string>
#include <vector>

#include "core/files/FileBase.h"

class CFileHandlers {
 public:
  // Adds a handler at the end of the list.
  void Add(std::unique_ptr<CFileBase> handler) { m_handlers.push_back(std::move(handler)); }

  // The first handler in list order that recognises the file; null when none does.
  CFileBase* Find(const std::string& path) const;
  const std::vector<std::unique_ptr<CFileBase>>& All() const { return m_handlers; }

 private:
  std::vector<std::unique_ptr<CFileBase>> m_handlers;
};
