// The RTF reader on arbitrary bytes, with link detection on what it read.
#include <string_view>

#include "core/doc/RtfDocument.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CRtfDocument document = CRtfDocument::Parse(std::string_view(reinterpret_cast<const char*>(data), size));
  document.DetectLinks();
  (void)document.PlainText();
  return 0;
}
