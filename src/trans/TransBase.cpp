#include "trans/TransBase.h"

#include <cstdio>

double CTransBase::s_sign = 1.0;

double CTrans_NULL::GetSeparation(const CDataPt& /*point*/, double /*sign*/) const { return 0.0; }
std::string CTrans_NULL::GetName() const { return "NULL"; }
std::string CTrans_NULL::GetShortName() const { return "NULL"; }

// Carrying a value to this reference subtracts the separation, so the value changes by
// +shift * sign: heights rise by the shift, depths (sign -1) become shallower by it.
double CTrans_BlockShift::GetSeparation(const CDataPt& /*point*/, double sign) const { return -(m_shift * sign); }
std::string CTrans_BlockShift::GetName() const { return "Block Shift"; }
std::string CTrans_BlockShift::GetShortName() const {
  // "%.2f" of a large shift can be hundreds of characters long: size the text first.
  const int length = std::snprintf(nullptr, 0, "Block Shift_%.2fm", m_shift);
  std::string text(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
  std::snprintf(text.data(), text.size() + 1, "Block Shift_%.2fm", m_shift);
  return text;
}
