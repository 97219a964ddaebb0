#pragma once
// Shared by the bad-input tests: every case runs a reader on a damaged file, checks
// its documented answer, that it finished in bounded time and that the input file is
// byte-identical afterwards (its hash before and after). Cases are counted; the total
// is printed at the end of the run.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace bad_input {

// Seconds one case may take: far more than any of these small files needs, far less
// than a reader stuck in a loop would.
constexpr double kCaseSeconds = 10.0;

inline std::uint64_t Hash(const std::string& bytes) {
  std::uint64_t h = 1469598103934665603ull;  // FNV-1a
  for (unsigned char c : bytes) h = (h ^ c) * 1099511628211ull;
  return h;
}

int& CaseCount();

// Writes `bytes` to `path`, runs `read` (which answers the reader's result), and checks
// the time taken and that the file is unchanged. Returns what `read` answered.
template <typename Read>
auto RunCase(const std::string& path, const std::string& bytes, Read read, const std::string& label) {
  ++CaseCount();
  WriteFileBytes(path, bytes);
  const std::uint64_t before = Hash(ReadFileBytes(path));
  const auto start = std::chrono::steady_clock::now();
  auto result = read();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_LT(seconds, kCaseSeconds) << label;
  const std::string after = ReadFileBytes(path);
  EXPECT_EQ(Hash(after), before) << label << ": the input file changed";
  EXPECT_EQ(after.size(), bytes.size()) << label;
  return result;
}

// Offsets to cut a file of `size` bytes at: every one for small files, otherwise the
// first and last 64 and about 200 spread between (always including 0 and size - 1).
std::vector<std::size_t> CutOffsets(std::size_t size);

// Deterministic random bytes.
std::string RandomBytes(std::size_t size, unsigned seed);

// Bytes of the program's own data files and samples (empty when missing).
std::string SourceFile(const std::string& relative);

}  // namespace bad_input
