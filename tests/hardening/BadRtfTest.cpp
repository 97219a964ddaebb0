// Damaged RTF documents: the reader returns whatever text it could read, in bounded
// time, and what it returns is well-formed UTF-8 taken from the input.
#include "BadInput.h"
#include "core/doc/RtfDocument.h"

namespace {

// Walks the UTF-8 of every run: a malformed sequence would show a decoding fault.
bool IsUtf8(const std::string& text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    const int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
    if (extra < 0 || i + extra >= text.size() + (extra == 0 ? 1 : 0)) return false;
    for (int k = 1; k <= extra; ++k)
      if ((static_cast<unsigned char>(text[i + k]) >> 6) != 2) return false;
    i += 1 + extra;
  }
  return true;
}

class BadRtfTest : public ::testing::Test {
 protected:
  // Parses the document read back from a file (as the document dialog does).
  CRtfDocument Parse(const std::string& bytes, const std::string& label) {
    const std::string path = m_dir.File("document.rtf");
    CRtfDocument document = bad_input::RunCase(
        path, bytes,
        [&] {
          CRtfDocument parsed = CRtfDocument::Parse(ReadFileBytes(path));
          parsed.DetectLinks();
          return parsed;
        },
        label);
    for (const CRtfParagraph& paragraph : document.Paragraphs()) {
      for (const CRtfRun& run : paragraph.runs) {
        EXPECT_TRUE(IsUtf8(run.text)) << label;
        EXPECT_TRUE(IsUtf8(run.link)) << label;
      }
    }
    return document;
  }
  CScratchDir m_dir;
};

TEST_F(BadRtfTest, EveryCutOfTheProgramsDocumentsReads) {
  for (const char* name : {"data/Licence.rtf", "data/Grid_Expiry_Warning.rtf"}) {
    const std::string whole = bad_input::SourceFile(name);
    ASSERT_FALSE(whole.empty()) << name;
    const std::string full = Parse(whole, name).PlainText();
    for (std::size_t cut : bad_input::CutOffsets(whole.size())) {
      // A cut document never holds more text than the whole one.
      const std::string text = Parse(whole.substr(0, cut), std::string(name) + " cut").PlainText();
      EXPECT_LE(text.size(), full.size() + 4) << name << " cut at " << cut;
    }
  }
}

TEST_F(BadRtfTest, HostileGroupsWordsAndCountsStayBounded) {
  const std::vector<std::string> documents = {
      "",
      "{\\rtf1",
      "{\\rtf1 " + std::string(200000, '{') + "deep" + std::string(200000, '}') + "}",
      "{\\rtf1 " + std::string(100000, '}') + "after}",
      "{\\rtf1 \\bin2147483647 x}",
      "{\\rtf1 \\bin99999999999999999999 x}",
      "{\\rtf1 \\bin-5 x}",
      "{\\rtf1 \\u-99999999999?\\u2147483647?\\uc999999999 \\u65 tail}",
      "{\\rtf1 \\'zz\\'\\'4\\" + std::string(1, '\0') + "}",
      "{\\rtf1 \\" + std::string(100000, 'a') + "123 x}",
      "{\\rtf1 \\fs-2147483648 \\li99999999999 \\sb-1 text\\par}",
      "{\\rtf1{\\field{\\*\\fldinst HYPERLINK \"" + std::string(50000, 'h') + "}{\\fldrslt}}}",
      "{\\rtf1{\\colortbl" + std::string(20000, ';') + "}\\cf19999 \\cf-1 colour}",
      "{\\rtf1 www." + std::string(100000, '.') + "}",
      "{\\rtf1 mailto:\\par http://\\par}",
  };
  for (std::size_t i = 0; i < documents.size(); ++i) Parse(documents[i], "document " + std::to_string(i));
  for (unsigned seed = 1; seed <= 16; ++seed) {
    Parse(bad_input::RandomBytes(3000, seed), "random " + std::to_string(seed));
    Parse("{\\rtf1 " + bad_input::RandomBytes(3000, seed), "random rtf " + std::to_string(seed));
  }
}

}  // namespace
