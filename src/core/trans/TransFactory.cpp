#include "core/trans/TransFactory.h"

#include "core/trans/TransSurface.h"

namespace {

std::unique_ptr<CTransFactory>& Holder() {
  static std::unique_ptr<CTransFactory> instance;
  return instance;
}

// ASCII letters compared without regard to case; other bytes must match exactly.
bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

}  // namespace

CTransFactory& CTransFactory::Instance() {
  auto& instance = Holder();
  if (!instance) instance.reset(new CTransFactory());
  return *instance;
}

void CTransFactory::Release() { Holder().reset(); }

// The surface order reversed, except that MHHW/MHWS, MHLW/MLWN and MLLW/MLWS keep
// their surface order; then the GDA94 ellipsoid, and the GDA2020 one last.
CTransFactory::CTransFactory() {
  m_refs.push_back(std::make_unique<CTrans_HAT>());
  m_refs.push_back(std::make_unique<CTrans_MHHW>());
  m_refs.push_back(std::make_unique<CTrans_MHWS>());
  m_refs.push_back(std::make_unique<CTrans_MHW>());
  m_refs.push_back(std::make_unique<CTrans_MHWN>());
  m_refs.push_back(std::make_unique<CTrans_MLHW>());
  m_refs.push_back(std::make_unique<CTrans_MSL>());
  m_refs.push_back(std::make_unique<CTrans_AHD>());
  m_refs.push_back(std::make_unique<CTrans_MHLW>());
  m_refs.push_back(std::make_unique<CTrans_MLWN>());
  m_refs.push_back(std::make_unique<CTrans_MLW>());
  m_refs.push_back(std::make_unique<CTrans_MLLW>());
  m_refs.push_back(std::make_unique<CTrans_MLWS>());
  m_refs.push_back(std::make_unique<CTrans_LAT>());
  m_refs.push_back(std::make_unique<CTrans_Ellipsoid_GDA94>());
  m_refs.push_back(std::make_unique<CTrans_Ellipsoid_GDA2020>());
}

std::vector<std::string> CTransFactory::GetNames() const {
  std::vector<std::string> names;
  names.reserve(m_refs.size());
  for (const auto& ref : m_refs) names.push_back(ref->GetName());
  return names;
}

CTransBase* CTransFactory::Find(const std::string& name) const {
  for (const auto& ref : m_refs)
    if (EqualsIgnoringCase(ref->GetName(), name)) return ref.get();
  return nullptr;
}

CTransBase* CTransFactory::LookUp(const std::string& name) const {
  if (CTransBase* ref = Find(name)) return ref;
  if (EqualsIgnoringCase(name, "ellipsoid")) return Find("Ellipsoid (GDA94/WGS84)");
  return EqualsIgnoringCase(name, "gda2020") ? Find("Ellipsoid (GDA2020)") : nullptr;
}

std::string CTransFactory::UnknownReferenceMessage(const std::string& name) const {
  std::string text = "Unknown vertical reference: " + name + "\nKnown references:";
  for (const std::string& known : GetNames()) text += " \"" + known + "\"";
  return text + " (or \"ellipsoid\", \"gda2020\")";
}
