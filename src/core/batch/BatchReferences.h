#pragma once
// The two vertical references a batch carries its files between: a block shift (every
// value moved by a number of metres; input "NULL", output "Block Shift", no grid used),
// or two listed references, which must differ: the same one would give the transformed
// and the excluded file one name. The file page, transform and the library build the
// pair here, and each shows the message that refuses one its own way.

#include <optional>
#include <string>

#include "core/trans/TransBase.h"

class CBatchReferences {
 public:
  CBatchReferences() = default;
  // Input and Output may point into the object.
  CBatchReferences(const CBatchReferences&) = delete;
  CBatchReferences& operator=(const CBatchReferences&) = delete;

  // A block shift of `metres`.
  void SetBlockShift(double metres);
  // A block shift as typed: "" when taken, else "Invalid block shift (not a number)"
  // (see IsNumberText; the value is the text's leading number, TextToDouble).
  std::string SetBlockShiftText(const std::string& text);
  // Two listed references by the names the command line and the library take
  // (CTransFactory::LookUp): "" when taken, else the message for the first unknown name,
  // or "The input and output vertical references must be different".
  std::string SetListed(const std::string& from, const std::string& to);

  // Null until a pair is taken.
  const CTransBase* Input() const { return m_input; }
  const CTransBase* Output() const { return m_output; }
  // The block shift taken, in metres; none for listed references.
  std::optional<double> BlockShift() const;

 private:
  CTrans_NULL m_null;
  std::optional<CTrans_BlockShift> m_shift;
  const CTransBase* m_input = nullptr;
  const CTransBase* m_output = nullptr;
};
