#include "core/files/FileHandlers.h"

CFileBase* CFileHandlers::Find(const std::string& path) const {
  for (const auto& handler : m_handlers) {
    if (handler->CanRead(path)) return handler.get();
  }
  return nullptr;
}
