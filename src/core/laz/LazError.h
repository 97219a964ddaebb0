#pragma once
// The one error of the LAZ codec: bytes that are not what a LAZ writer writes (a LASzip
// record that does not parse, a chunk table that does not fit its file, a chunk that ends
// before its points or decodes to nonsense). The message says what is wrong and where,
// for example "LAZ chunk 12: ends before its 50000 points".

#include <cstdint>
#include <stdexcept>
#include <string>

class CLazError : public std::runtime_error {
 public:
  explicit CLazError(const std::string& what) : std::runtime_error(what) {}

  // The codec says "LAZ chunk: ..." of a chunk; the caller that knows which chunk it
  // gave names it: "LAZ chunk 12: ...".
  static constexpr const char* kChunk = "LAZ chunk: ";
  static CLazError InChunk(std::uint64_t index, const CLazError& error) {
    std::string what = error.what();
    const std::string prefix = kChunk;
    if (what.compare(0, prefix.size(), prefix) == 0) what.erase(0, prefix.size());
    return CLazError("LAZ chunk " + std::to_string(index) + ": " + what);
  }
};
