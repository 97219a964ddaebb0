#include "core/batch/BatchReferences.h"

#include "core/common/NumberText.h"
#include "core/trans/TransFactory.h"

void CBatchReferences::SetBlockShift(double metres) {
  m_input = &m_null;
  m_output = &m_shift.emplace(metres);
}

std::string CBatchReferences::SetBlockShiftText(const std::string& text) {
  if (!IsNumberText(text)) return "Invalid block shift (not a number)";
  SetBlockShift(TextToDouble(text));
  return "";
}

std::string CBatchReferences::SetListed(const std::string& from, const std::string& to) {
  const CTransFactory& factory = CTransFactory::Instance();
  const CTransBase* input = factory.LookUp(from);
  if (input == nullptr) return factory.UnknownReferenceMessage(from);
  const CTransBase* output = factory.LookUp(to);
  if (output == nullptr) return factory.UnknownReferenceMessage(to);
  if (input == output) return "The input and output vertical references must be different";
  m_shift.reset();
  m_input = input;
  m_output = output;
  return "";
}

std::optional<double> CBatchReferences::BlockShift() const {
  return m_shift ? std::optional<double>(m_shift->GetShift()) : std::nullopt;
}
