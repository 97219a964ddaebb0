#include "api/ApiSupport.h"

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

std::string JoinMessages(const CRecordingMessenger& messenger) {
  std::string text;
  for (const std::string& message : messenger.Messages()) text += (text.empty() ? "" : "\n") + message;
  return text;
}

}  // namespace marevert
