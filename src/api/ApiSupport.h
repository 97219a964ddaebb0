#pragma once
// What the library's entry points share: the grid model behind CGrid, reference
// lookup by name, and the process-wide objects the core creates on first use.

#include <string>

#include "core/grid/GridInt.h"
#include "core/jobs/Messenger.h"
#include "marevert/Grid.h"

class CTransBase;

namespace marevert {

struct CGrid::Impl {
  CGridInt model;
};

struct CGridAccess {
  static const CGridInt& Model(const CGrid& grid) { return grid.m_impl->model; }
};

// Creates the reference list and the map-grid converter once, before any thread of a
// caller may ask for them at the same time (the core creates them on first use).
void EnsureSharedObjects();

// The listed reference with this display name ignoring case, or the GDA94 ellipsoid for
// "ellipsoid" and the GDA2020 one for "gda2020"; throws CError naming the known
// references otherwise.
const CTransBase& FindReference(const std::string& name);

double SignFactor(Sign sign);

// Throws CError unless `zone` is an MGA zone of the coast (49 to 56).
void CheckZone(int zone);

// Every message box text recorded, joined by "\n".
std::string JoinMessages(const CRecordingMessenger& messenger);

}  // namespace marevert
