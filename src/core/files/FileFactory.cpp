#include "core/files/FileFactory.h"

#include <utility>

#include "core/files/FileESRIGrid.h"
#include "core/files/FileHTF.h"
#include "core/files/FileLAS.h"
#include "core/files/FileText.h"

namespace {

std::unique_ptr<CFileFactory>& Storage() {
  static std::unique_ptr<CFileFactory> factory;
  return factory;
}

}  // namespace

CFileFactory::CFileFactory() {
  Register<CFileHTF>();
  Register<CFileESRIGrid>();
  Register<CFileLAS>();
  Register<CFileText>();
}

CFileFactory* CFileFactory::Instance() {
  auto& factory = Storage();
  if (!factory) factory = std::make_unique<CFileFactory>();
  return factory.get();
}

void CFileFactory::Release() { Storage().reset(); }

void CFileFactory::Register(Maker make) {
  if (!make) return;
  m_handlers.Add(make());
  m_makers.push_back(std::move(make));
}

CFileHandlers CFileFactory::MakeHandlers() const {
  CFileHandlers handlers;
  for (const Maker& make : m_makers) handlers.Add(make());
  return handlers;
}
