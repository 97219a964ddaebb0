#include "files/FileFactory.h"

#include <utility>

#include "files/FileESRIGrid.h"
#include "files/FileHTF.h"
#include "files/FileLAS.h"
#include "files/FileText.h"

namespace {

std::unique_ptr<CFileFactory>& Storage() {
  static std::unique_ptr<CFileFactory> factory;
  return factory;
}

}  // namespace

CFileFactory::CFileFactory() {
  m_handlers.push_back(std::make_unique<CFileHTF>());
  m_handlers.push_back(std::make_unique<CFileESRIGrid>());
  m_handlers.push_back(std::make_unique<CFileLAS>());
  m_handlers.push_back(std::make_unique<CFileText>());
}

CFileFactory* CFileFactory::Instance() {
  auto& factory = Storage();
  if (!factory) factory = std::make_unique<CFileFactory>();
  return factory.get();
}

void CFileFactory::Release() { Storage().reset(); }

void CFileFactory::Register(std::unique_ptr<CFileBase> handler) {
  if (handler) m_handlers.push_back(std::move(handler));
}

CFileBase* CFileFactory::FindHandler(const std::string& path) const {
  for (const auto& handler : m_handlers) {
    if (handler->CanRead(path)) return handler.get();
  }
  return nullptr;
}
