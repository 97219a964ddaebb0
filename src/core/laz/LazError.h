#pragma once
// The one error of the LAZ codec: bytes that are not what a LAZ writer writes (a LASzip
// record that does not parse, a chunk table that does not fit its file, a chunk that ends
// before its points or decodes to nonsense). The message says what is wrong and where,
// for example "LAZ chunk 12: ends before its 50000 points".

#include <stdexcept>
#include <string>

class CLazError : public std::runtime_error {
 public:
  explicit CLazError(const std::string& what) : std::runtime_error(what) {}
};
