#pragma once
// The sixteen listed vertical references in their fixed order, HAT first and the two
// ellipsoids last (GDA94, then GDA2020). That order is the order of every reference
// list the user sees.

#include <memory>
#include <string>
#include <vector>

#include "core/trans/TransBase.h"

class CTransFactory {
 public:
  // The process-wide factory, created on first use.
  static CTransFactory& Instance();
  // Deletes the process-wide factory (at program end); the next Instance makes a new one.
  static void Release();

  // Display names in factory order.
  std::vector<std::string> GetNames() const;
  // The listed reference whose display name equals `name` ignoring case; null if none.
  CTransBase* Find(const std::string& name) const;
  // Find, and in any case the GDA94 ellipsoid for "ellipsoid" and the GDA2020 one for
  // "gda2020": how the command line and the library let their callers name a reference.
  CTransBase* LookUp(const std::string& name) const;
  // What to say when LookUp finds nothing: "Unknown vertical reference: NAME", then
  // the known names.
  std::string UnknownReferenceMessage(const std::string& name) const;
  // The listed references in factory order, for callers that visit every one of them
  // (the same objects that Find answers for their names).
  std::size_t GetCount() const { return m_refs.size(); }
  CTransBase* GetAt(std::size_t index) const { return m_refs[index].get(); }

 private:
  CTransFactory();
  std::vector<std::unique_ptr<CTransBase>> m_refs;
};
