#include "BadInput.h"

#include <cstdio>

namespace bad_input {

int& CaseCount() {
  static int count = 0;
  return count;
}

std::vector<std::size_t> CutOffsets(std::size_t size) {
  std::vector<std::size_t> cuts;
  if (size <= 512) {
    for (std::size_t i = 0; i < size; ++i) cuts.push_back(i);
    return cuts;
  }
  for (std::size_t i = 0; i < 64; ++i) cuts.push_back(i);
  const std::size_t step = (size - 128) / 200 + 1;
  for (std::size_t i = 64; i < size - 64; i += step) cuts.push_back(i);
  for (std::size_t i = size - 64; i < size; ++i) cuts.push_back(i);
  return cuts;
}

std::string RandomBytes(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
  return bytes;
}

std::string SourceFile(const std::string& relative) {
  return ReadFileBytes(std::string(MAREVERT_SOURCE_DIR) + "/" + relative);
}

namespace {

// Prints the number of cases when the run ends.
class CCaseReport : public ::testing::Environment {
 public:
  void TearDown() override { std::printf("bad-input cases run: %d\n", CaseCount()); }
};

[[maybe_unused]] ::testing::Environment* const s_report = ::testing::AddGlobalTestEnvironment(new CCaseReport);

}  // namespace

}  // namespace bad_input
