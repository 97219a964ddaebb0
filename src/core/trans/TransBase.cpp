#include "core/trans/TransBase.h"

#include "core/common/NumberText.h"

double CTransBase::s_sign = 1.0;

double CTrans_NULL::GetSeparation(const CDataPt&, double, double, double) const { return 0.0; }
std::string CTrans_NULL::GetName() const { return "NULL"; }
std::string CTrans_NULL::GetShortName() const { return "NULL"; }

// Carrying a value to this reference subtracts the separation, so the value changes by
// +shift * sign: heights rise by the shift, depths (sign -1) become shallower by it.
double CTrans_BlockShift::GetSeparation(const CDataPt&, double, double, double sign) const { return -(m_shift * sign); }
std::string CTrans_BlockShift::GetName() const { return "Block Shift"; }
// "Block Shift_%.2fm" (a large shift gives hundreds of digits).
std::string CTrans_BlockShift::GetShortName() const { return "Block Shift_" + ClassicFixed(m_shift, 2) + "m"; }
