#include "files/TextPipeline.h"

#include <algorithm>
#include <cstring>

#include "files/BlockPipeline.h"
#include "files/InputStream.h"
#include "files/NumberText.h"
#include "process/SharedJob.h"

namespace {

// A block ends after this many units, or once its text reaches kBlockBytes (a unit is
// at most CInputStream::kMaxLine bytes, so the text never outgrows its buffer).
constexpr std::size_t kBlockUnits = 32768;
constexpr std::size_t kBlockBytes = 1 << 20;

}  // namespace

struct CTextPipeline::Block {
  std::vector<char> text = std::vector<char>(kBlockBytes + CInputStream::kMaxLine);
  std::vector<std::uint32_t> ends = std::vector<std::uint32_t>(kBlockUnits + 1);  // ends[0] = 0
  std::vector<std::uint64_t> positions = std::vector<std::uint64_t>(kBlockUnits);
  std::vector<CTextOutcome> outcomes = std::vector<CTextOutcome>(kBlockUnits);
  std::size_t units = 0;
  // Per piece: the text of its new numbers, and what its transform threw.
  std::vector<std::string> numbers = std::vector<std::string>(kBlockUnits / kPiece);
  std::vector<std::exception_ptr> errors = std::vector<std::exception_ptr>(kBlockUnits / kPiece);

  std::size_t Pieces() const { return (units + kPiece - 1) / kPiece; }
};

std::string_view CTextPipeline::Piece::Unit(std::size_t i) const {
  return std::string_view(m_text + m_ends[i], m_ends[i + 1] - m_ends[i]);
}

std::string_view CTextPipeline::Piece::SetNumber(std::size_t i, double value, std::string_view after) {
  char text[kFixed2Capacity];
  const std::size_t length = FormatFixed2(value, text);
  CTextOutcome& outcome = m_outcomes[i];
  outcome.numberAt = static_cast<std::uint32_t>(m_numbers->size());
  m_numbers->append(text, length);
  m_numbers->append(after);
  outcome.numberLength = static_cast<std::uint32_t>(m_numbers->size() - outcome.numberAt);
  return std::string_view(*m_numbers).substr(outcome.numberAt);
}

CTextPipeline::CTextPipeline()
    : m_blocks(std::make_unique<Block[]>(2)), m_batches(std::make_unique<Batch[]>(CSharedJob::kParts)) {}

CTextPipeline::~CTextPipeline() = default;

bool CTextPipeline::ReadBlock(const CInputStream& input, const Read& read, Block& block) const {
  block.units = 0;
  std::size_t used = 0;
  std::string_view unit;
  while (block.units < kBlockUnits && used < kBlockBytes) {
    CTextOutcome& outcome = block.outcomes[block.units];
    outcome = CTextOutcome();
    if (!read(unit, outcome)) return false;
    std::memcpy(block.text.data() + used, unit.data(), unit.size());
    used += unit.size();
    block.positions[block.units] = input.Position();
    block.ends[++block.units] = static_cast<std::uint32_t>(used);
  }
  return true;
}

void CTextPipeline::TransformPiece(Block& block, std::size_t piece, int part, const Transform& transform) {
  Piece view;
  const std::size_t first = piece * kPiece;
  view.m_count = std::min(kPiece, block.units - first);
  view.m_text = block.text.data();
  view.m_ends = block.ends.data() + first;
  view.m_outcomes = block.outcomes.data() + first;
  view.m_numbers = &block.numbers[piece];
  view.m_batch = &m_batches[part];
  view.m_numbers->clear();
  view.m_batch->count = 0;
  block.errors[piece] = nullptr;
  try {
    transform(view);
  } catch (...) {
    // Passed on when the writing reaches this piece, after the units before it.
    block.errors[piece] = std::current_exception();
  }
}

FileResult CTextPipeline::WriteBlock(const Block& block, const Write& write) {
  for (std::size_t i = 0; i < block.units; ++i) {
    const std::size_t piece = i / kPiece;
    if (i % kPiece == 0 && block.errors[piece]) std::rethrow_exception(block.errors[piece]);
    const CTextOutcome& outcome = block.outcomes[i];
    const std::string_view text(block.text.data() + block.ends[i], block.ends[i + 1] - block.ends[i]);
    const std::string_view number(block.numbers[piece].data() + outcome.numberAt, outcome.numberLength);
    if (const FileResult result = write(Unit{text, outcome, number, block.positions[i]}); result != kFileDone)
      return result;
  }
  return kFileDone;
}

FileResult CTextPipeline::Run(const CInputStream& input, const Read& read, const Transform& transform,
                              const Write& write) {
  CBlockPipeline::Stages stages;
  stages.read = [&](int buffer) { return ReadBlock(input, read, m_blocks[buffer]); };
  stages.pieces = [&](int buffer) { return m_blocks[buffer].Pieces(); };
  stages.transform = [&](int buffer, std::size_t piece, int part) {
    TransformPiece(m_blocks[buffer], piece, part, transform);
  };
  stages.write = [&](int buffer) { return WriteBlock(m_blocks[buffer], write); };
  return CBlockPipeline::Run(stages);
}
