#pragma once
// The process-wide settings the core keeps for the programs: the coding values
// (CDataPt::s_offset, s_scale) and the sign factor (CTransBase::s_sign). A test that
// changes them puts them back through this guard; the test mains check that every test
// leaves them as it found them.

#include <string>

#include "core/grid/DataPt.h"
#include "core/trans/TransBase.h"

class CClassWideValues {
 public:
  // Saves the values in force; the destructor puts them back.
  CClassWideValues() : m_offset(CDataPt::s_offset), m_scale(CDataPt::s_scale), m_sign(CTransBase::s_sign) {}
  // Saves them, then sets the coding values to `offset` and `scale`.
  CClassWideValues(float offset, float scale) : CClassWideValues() {
    CDataPt::s_offset = offset;
    CDataPt::s_scale = scale;
  }
  ~CClassWideValues() {
    CDataPt::s_offset = m_offset;
    CDataPt::s_scale = m_scale;
    CTransBase::s_sign = m_sign;
  }
  CClassWideValues(const CClassWideValues&) = delete;
  CClassWideValues& operator=(const CClassWideValues&) = delete;

  // The values changed since they were saved, by name ("" when none is).
  std::string Changed() const {
    std::string names;
    if (CDataPt::s_offset != m_offset) names += " CDataPt::s_offset";
    if (CDataPt::s_scale != m_scale) names += " CDataPt::s_scale";
    if (CTransBase::s_sign != m_sign) names += " CTransBase::s_sign";
    return names;
  }

 private:
  float m_offset, m_scale;
  double m_sign;
};

// Makes every test fail that leaves a class-wide value changed (the value is put back,
// so that the next test starts as it would alone).
void CheckClassWideValuesAfterEachTest();
