#include "core/common/TextLine.h"

#include <cctype>

std::string_view FirstToken(std::string_view line) {
  const std::size_t blank = line.find_first_of(" \t");
  return blank == std::string_view::npos ? std::string_view() : line.substr(0, blank);
}

std::string_view AfterFirstToken(std::string_view line) { return line.substr(FirstToken(line).size()); }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsClassicSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsClassicSpace(text.back())) text.remove_suffix(1);
  return text;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

std::string_view LineEnd(std::string_view line) {
  if (line.size() >= 2 && line.substr(line.size() - 2) == "\r\n") return line.substr(line.size() - 2);
  if (!line.empty() && line.back() == '\n') return line.substr(line.size() - 1);
  return {};
}
