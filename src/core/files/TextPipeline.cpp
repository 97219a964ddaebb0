#include "core/files/TextPipeline.h"

#include <algorithm>
#include <cstring>

#include "core/common/InputStream.h"
#include "core/common/NumberText.h"
#include "core/files/BlockPipeline.h"
#include "core/jobs/SharedJob.h"

namespace {

// A block ends after this many units, or once its text reaches kBlockBytes.
constexpr std::size_t kBlockUnits = 32768;
constexpr std::size_t kBlockBytes = 1 << 20;

}  // namespace

// The arrays grow with what is read (a small file needs little), and keep their room
// from one block to the next.
struct CTextPipeline::Block {
  std::vector<char> text;
  std::vector<std::uint32_t> ends{0};    // ends[i + 1]: where unit i ends
  std::vector<std::uint64_t> positions;  // per unit: the input position after it
  std::vector<CTextOutcome> outcomes;
  // Per piece: the text of its new numbers, and what its transform threw.
  std::vector<std::string> numbers;
  std::vector<std::exception_ptr> errors;

  std::size_t Units() const { return outcomes.size(); }
  std::size_t Pieces() const { return (Units() + kPiece - 1) / kPiece; }
};

std::string_view CTextPipeline::Piece::Unit(std::size_t i) const {
  return std::string_view(m_text + m_ends[i], m_ends[i + 1] - m_ends[i]);
}

void CTextPipeline::Piece::SetCarried(unsigned char kind, std::string_view after) {
  const Batch& points = *m_batch;
  for (std::size_t k = 0; k < points.count; ++k) {
    if (!points.transformed[k]) continue;
    CTextOutcome& outcome = m_outcomes[points.unit[k]];
    outcome.kind = kind;
    outcome.given = points.given[k];
    char text[kFixed2Capacity];
    const std::size_t length = FormatFixed2(points.z[k], text);
    outcome.numberAt = static_cast<std::uint32_t>(m_numbers->size());
    m_numbers->append(text, length);
    m_numbers->append(after);
    outcome.numberLength = static_cast<std::uint32_t>(m_numbers->size() - outcome.numberAt);
  }
}

CTextPipeline::CTextPipeline()
    : m_blocks(std::make_unique<Block[]>(2)), m_batches(std::make_unique<Batch[]>(CSharedJob::kParts)) {}

CTextPipeline::~CTextPipeline() = default;

bool CTextPipeline::ReadBlock(const CInputStream& input, const Read& read, Block& block) const {
  block.ends.resize(1);
  block.positions.clear();
  block.outcomes.clear();
  std::size_t used = 0;
  std::string_view unit;
  bool more = true;
  while (block.Units() < kBlockUnits && used < kBlockBytes) {
    CTextOutcome outcome;
    if (!read(unit, outcome)) {
      more = false;
      break;
    }
    if (used + unit.size() > block.text.size()) block.text.resize(std::max(2 * block.text.size(), used + unit.size()));
    std::memcpy(block.text.data() + used, unit.data(), unit.size());
    used += unit.size();
    block.ends.push_back(static_cast<std::uint32_t>(used));
    block.positions.push_back(input.Position());
    block.outcomes.push_back(outcome);
  }
  block.numbers.resize(std::max(block.numbers.size(), block.Pieces()));
  block.errors.assign(block.Pieces(), nullptr);
  return more;
}

void CTextPipeline::TransformPiece(Block& block, std::size_t piece, int part, const Transform& transform) {
  Piece view;
  const std::size_t first = piece * kPiece;
  view.m_count = std::min(kPiece, block.Units() - first);
  view.m_text = block.text.data();
  view.m_ends = block.ends.data() + first;
  view.m_outcomes = block.outcomes.data() + first;
  view.m_numbers = &block.numbers[piece];
  view.m_batch = &m_batches[part];
  view.m_numbers->clear();
  view.m_batch->count = 0;
  try {
    transform(view);
  } catch (...) {
    // Passed on when the writing reaches this piece, after the units before it.
    block.errors[piece] = std::current_exception();
  }
}

FileResult CTextPipeline::WriteBlock(const Block& block, const Write& write) {
  for (std::size_t i = 0; i < block.Units(); ++i) {
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
