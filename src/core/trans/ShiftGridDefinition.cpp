#include "core/trans/ShiftGridDefinition.h"

#include <string_view>

#include "core/trans/TransSurface.h"

namespace {

// Characters a POSIX shell takes literally in a word.
bool IsShellSafe(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         std::string_view("_@%+=:,./-").find(c) != std::string_view::npos;
}

// A value in a PROJ string: in double quotes (inner ones doubled) when it holds a
// blank or a quote, which PROJ would otherwise take as the end of the value.
std::string ProjValue(const std::string& value) {
  if (value.find_first_of(" \t\"") == std::string::npos) return value;
  std::string quoted = "\"";
  for (char c : value) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

}  // namespace

std::string ShellQuote(const std::string& text) {
  bool safe = !text.empty();
  for (char c : text) safe = safe && IsShellSafe(c);
  if (safe) return text;
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

CShiftGridDefinition CShiftGridDefinition::Between(const CTransBase& from, const CTransBase& to, double sign) {
  CShiftGridDefinition definition;
  definition.m_from = from.GetName();
  definition.m_to = to.GetName();
  definition.m_depths = sign < 0;
  const double direction = definition.m_depths ? -1.0 : 1.0;
  const int fromSurface = from.GetSurfaceRead();
  const int toSurface = to.GetSurfaceRead();
  const auto isEllipsoid = [](int surface) {
    return surface == CDataPt::kEllipsoid || surface == CDataPt::kEllipsoidGda2020;
  };
  const bool fromEllipsoid = isEllipsoid(fromSurface);
  const bool toEllipsoid = isEllipsoid(toSurface);
  if (fromEllipsoid != toEllipsoid) {
    // One surface and an ellipsoid: store the surface's height above that ellipsoid, as
    // geoid models do.
    definition.m_kind = Kind::GeographicToVertical;
    definition.m_add = fromEllipsoid ? toSurface : fromSurface;
    definition.m_subtract = fromEllipsoid ? fromSurface : toSurface;
    definition.m_multiplier = fromEllipsoid ? -direction : direction;
    definition.m_surface = fromEllipsoid ? definition.m_to : definition.m_from;
  } else {
    definition.m_kind = Kind::VerticalToVertical;
    definition.m_add = fromSurface;
    definition.m_subtract = toSurface;
    definition.m_multiplier = direction;
  }
  return definition;
}

CShiftGridDefinition CShiftGridDefinition::Surface(const CTransBase& surface, double sign) {
  return Between(CTrans_Ellipsoid_GDA94(), surface, sign);
}

std::string CShiftGridDefinition::GetTypeName() const {
  return m_kind == Kind::VerticalToVertical ? "VERTICAL_OFFSET_VERTICAL_TO_VERTICAL"
                                            : "VERTICAL_OFFSET_GEOGRAPHIC_TO_VERTICAL";
}

std::string CShiftGridDefinition::GetSampleDescription() const {
  // PROJ names a tidal surface's height above the ellipsoid "hydroid_height" since 9.3,
  // but refuses grids so described before (Debian 12 has 9.1); "geoid_undulation" means
  // the same (the value to add to a height above the surface to get an ellipsoidal
  // height) and every version reads it.
  return m_kind == Kind::VerticalToVertical ? "vertical_offset" : "geoid_undulation";
}

std::string CShiftGridDefinition::GetMeaning() const {
  if (m_kind == Kind::VerticalToVertical)
    return "Offset from " + m_from + " to " + m_to + " in metres: add it to a height above " + m_from +
           " to get the height above " + m_to;
  return "Height of " + m_surface + " above the " + (InvolvesGda2020() ? "GDA2020" : "GDA94") + " ellipsoid in metres";
}

std::string CShiftGridDefinition::GetDirection() const {
  const char* values = m_depths ? " depths" : " heights";
  return "from " + m_from + values + " to " + m_to + values;
}

std::string CShiftGridDefinition::GetPipeline(const std::string& gridPath) const {
  return "+proj=vgridshift +grids=" + ProjValue(gridPath) + " +multiplier=" + (m_multiplier < 0 ? "-1" : "1");
}

std::string CShiftGridDefinition::GetCctCommand(const std::string& gridPath, int decimals) const {
  // cct takes each argument as one parameter: a blank in the path needs no PROJ quoting.
  return "cct -d " + std::to_string(decimals) + " +proj=vgridshift " + ShellQuote("+grids=" + gridPath) +
         " +multiplier=" + (m_multiplier < 0 ? "-1" : "1");
}
