#include "api/ApiSupport.h"

#include <filesystem>
#include <mutex>

#include "core/trans/CoordConv.h"
#include "core/trans/TransBase.h"
#include "core/trans/TransFactory.h"

namespace marevert {

void EnsureSharedObjects() {
  static std::once_flag once;
  std::call_once(once, [] {
    CTransFactory::Instance();
    CCoordConv::Instance();
  });
}

std::vector<std::string> GetReferenceNames() {
  EnsureSharedObjects();
  return CTransFactory::Instance().GetNames();
}

const CTransBase& FindReference(const std::string& name) {
  EnsureSharedObjects();
  const CTransFactory& factory = CTransFactory::Instance();
  if (const CTransBase* ref = factory.LookUp(name)) return *ref;
  throw CError(factory.UnknownReferenceMessage(name));
}

double SignFactor(Sign sign) { return sign == Sign::DepthsPositive ? -1.0 : 1.0; }

void CheckZone(int zone) {
  if (!CCoordConv::IsZone(zone))
    throw CError("The MGA zone must be between " + std::to_string(CCoordConv::kFirstZone) + " and " +
                 std::to_string(CCoordConv::kLastZone) + ", not " + std::to_string(zone));
}

std::string AbsolutePath(const std::string& path) {
  if (path.empty()) return path;
  std::error_code ec;
  const auto absolute = std::filesystem::absolute(path, ec);
  return ec ? path : absolute.lexically_normal().string();
}

std::string JoinMessages(const CRecordingMessenger& messenger) {
  std::string text;
  for (const std::string& message : messenger.Messages()) text += (text.empty() ? "" : "\n") + message;
  return text;
}

}  // namespace marevert
