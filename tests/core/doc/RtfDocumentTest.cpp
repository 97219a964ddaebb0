#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>

#include "core/doc/RtfDocument.h"
#include "support/TestSupport.h"

namespace {

std::string Text(const std::string& rtf) { return CRtfDocument::Parse(rtf).PlainText(); }

// The run holding `needle`, or null.
const CRtfRun* RunWith(const CRtfDocument& doc, const std::string& needle) {
  for (const CRtfParagraph& p : doc.Paragraphs())
    for (const CRtfRun& r : p.runs)
      if (r.text.find(needle) != std::string::npos) return &r;
  return nullptr;
}

}  // namespace

TEST(RtfDocument, EscapesAndSpecialCharacters) {
  // \'hh is Windows-1252: 0x80 is the euro sign, 0xE9 e acute, 0x93/0x94 curly quotes.
  EXPECT_EQ(Text(R"({\rtf1\ansi \'80 5 caf\'e9 \'93q\'94})"), "\xE2\x82\xAC 5 caf\xC3\xA9 \xE2\x80\x9Cq\xE2\x80\x9D");
  EXPECT_EQ(Text(R"({\rtf1 a\\b\{c\}d\~e})"),
            "a\\b{c}d\xC2\xA0"
            "e");
  EXPECT_EQ(Text(R"({\rtf1 one\line two\tab three\emdash\bullet})"), "one\ntwo\tthree\xE2\x80\x94\xE2\x80\xA2");
  // Line ends in the source are not text; the space after a control word is its delimiter.
  EXPECT_EQ(Text("{\\rtf1 \\b bold\r\n text\\b0  end}"), "bold text end");
  // A bad hex escape shows nothing and does not eat the text after it.
  EXPECT_EQ(Text(R"({\rtf1 x\'zzy})"), "xzzy");
}

TEST(RtfDocument, UnicodeEscapesSkipTheirFallback) {
  // \u8364 with one fallback character (the default \uc1).
  EXPECT_EQ(Text(R"({\rtf1 \u8364?5})"),
            "\xE2\x82\xAC"
            "5");
  // Negative parameters stand for code points above 32767; a hex escape is one fallback character.
  EXPECT_EQ(Text(R"({\rtf1 \u-3\'3fX})"), "\xEF\xBF\xBDX");
  EXPECT_EQ(Text(R"({\rtf1 \uc2\u233 ab c})"), "\xC3\xA9 c");
  EXPECT_EQ(Text(R"({\rtf1 \uc0\u233 ab})"),
            "\xC3\xA9"
            "ab");
  // \uc is scoped to its group; the skip ends at a group boundary.
  EXPECT_EQ(Text(R"({\rtf1 {\uc3 \u233 x}y\u233 zw})"), "\xC3\xA9y\xC3\xA9w");
  // A surrogate pair (U+1F600) and lone halves.
  EXPECT_EQ(Text(R"({\rtf1 \u-10179?\u-8704?})"), "\xF0\x9F\x98\x80");
  EXPECT_EQ(Text(R"({\rtf1 \u-10179?a})"),
            "\xEF\xBF\xBD"
            "a");
  EXPECT_EQ(Text(R"({\rtf1 \u-8704?a})"),
            "\xEF\xBF\xBD"
            "a");
}

TEST(RtfDocument, GroupsScopeCharacterFormatAndParagraphsSplit) {
  const CRtfDocument doc = CRtfDocument::Parse(
      R"({\rtf1{\colortbl;\red200\green10\blue20;}\pard\qc\sa120 plain {\b bold {\i both \ul all}\cf1 red}\fs40 big\par)"
      R"(\pard second \plain\par})");
  ASSERT_EQ(doc.Paragraphs().size(), 2u);
  EXPECT_EQ(doc.Paragraphs()[0].align, ERtfAlign::Centre);
  EXPECT_EQ(doc.Paragraphs()[0].spaceAfter, 120);
  EXPECT_EQ(doc.Paragraphs()[1].align, ERtfAlign::Left);
  EXPECT_EQ(doc.Paragraphs()[1].Text(), "second ");

  const CRtfRun* plain = RunWith(doc, "plain");
  const CRtfRun* bold = RunWith(doc, "bold");
  const CRtfRun* both = RunWith(doc, "both");
  const CRtfRun* all = RunWith(doc, "all");
  const CRtfRun* red = RunWith(doc, "red");
  const CRtfRun* big = RunWith(doc, "big");
  ASSERT_TRUE(plain && bold && both && all && red && big);
  EXPECT_FALSE(plain->bold);
  EXPECT_TRUE(bold->bold && !bold->italic);
  EXPECT_TRUE(both->bold && both->italic && !both->underline);
  EXPECT_TRUE(all->bold && all->italic && all->underline);
  EXPECT_TRUE(red->bold && !red->italic && red->hasColour);
  EXPECT_EQ(red->colour, (CRtfColour{200, 10, 20}));
  EXPECT_FALSE(big->bold);  // the group ended
  EXPECT_FALSE(big->hasColour);
  EXPECT_EQ(big->fontSize, 40);
}

TEST(RtfDocument, ColourTableEntriesAndOutOfRangeIndices) {
  const CRtfDocument doc = CRtfDocument::Parse(
      R"({\rtf1{\colortbl;\red1\green2\blue3;;\red999\green0\blue0;}\cf1 a\cf2 b\cf3 c\cf9 d\cf0 e})");
  EXPECT_EQ(RunWith(doc, "a")->colour, (CRtfColour{1, 2, 3}));
  EXPECT_FALSE(RunWith(doc, "b")->hasColour);  // an empty entry is "auto"
  EXPECT_EQ(RunWith(doc, "c")->colour, (CRtfColour{255, 0, 0}));
  EXPECT_FALSE(RunWith(doc, "d")->hasColour);
  EXPECT_FALSE(RunWith(doc, "e")->hasColour);
}

TEST(RtfDocument, SkipsTablesInformationAndUnknownDestinations) {
  const std::string rtf =
      R"({\rtf1\ansi{\fonttbl{\f0\fswiss Arial;}{\f1 Times;}}{\stylesheet{\s0 Normal;}})"
      R"({\info{\title Secret}{\author Someone}}{\*\generator Writer 1.0;}{\*\unknownthing {nested} text})"
      R"({\pict\wmetafile8 0123456789abcdef}{\*\bkmkstart mark}{\header head}\bin3 {}}visible})";
  EXPECT_EQ(Text(rtf), "visible");
  // An unknown word without \* is not a destination: its group's text is shown.
  EXPECT_EQ(Text(R"({\rtf1 {\madeupword shown}})"), "shown");
}

TEST(RtfDocument, HyperlinkFieldsGiveLinkedRuns) {
  const CRtfDocument doc = CRtfDocument::Parse(
      R"({\rtf1 Go to {\field{\*\fldinst{ HYPERLINK "https://example.org/a b" \\o "tip"}}{\fldrslt{\ul here}}} now.)"
      R"(\par{\field{\*\fldinst HYPERLINK \\l "bookmark"}{\fldrslt inside}} )"
      R"({\field{\*\fldinst PAGE}{\fldrslt 7}} {\field{\*\fldinst hyperlink mailto:x@example.org}{\fldrslt mail}}})");
  ASSERT_EQ(doc.Paragraphs().size(), 2u);
  EXPECT_EQ(doc.PlainText(), "Go to here now.\ninside 7 mail");
  EXPECT_EQ(RunWith(doc, "here")->link, "https://example.org/a b");
  EXPECT_TRUE(RunWith(doc, "here")->underline);
  EXPECT_EQ(RunWith(doc, " now.")->link, "");   // the link ends with the field
  EXPECT_EQ(RunWith(doc, "inside")->link, "");  // a jump inside the document
  EXPECT_EQ(RunWith(doc, "7")->link, "");
  EXPECT_EQ(RunWith(doc, "mail")->link, "mailto:x@example.org");
}

TEST(RtfDocument, MalformedInputNeverBreaksTheReader) {
  // Truncated anywhere: inside a word, an escape, a parameter, a field, a table.
  const std::string full =
      R"({\rtf1{\colortbl;\red9\green8\blue7;}\cf1\b x\'e9\u-3?{\field{\*\fldinst HYPERLINK "u"}{\fldrslt y}}\par z})";
  for (std::size_t n = 0; n <= full.size(); ++n) CRtfDocument::Parse(full.substr(0, n));
  EXPECT_EQ(Text(R"({\rtf1 ab)"), "ab");
  EXPECT_EQ(Text("{\\rtf1 ab\\"), "ab");
  EXPECT_EQ(Text(R"({\rtf1 a}}}} b})"), "a b");  // stray closing braces
  EXPECT_EQ(Text(R"({\rtf1 \fs99999999999999999999 big\u99999999999?x\bin-5 y\bin99999999999 z})"),
            "big\xEF\xBF\xBDxy");
  EXPECT_EQ(Text(std::string("{\\rtf1 a\0b}", 11)), std::string("a\0b", 3));

  // Very deep nesting is skipped, quickly and without exhausting the stack.
  const auto start = std::chrono::steady_clock::now();
  const std::string deep = "{\\rtf1 a" + std::string(1000000, '{') + "hidden" + std::string(1000000, '}') + "b}";
  EXPECT_EQ(Text(deep), "ab");
  const std::string unclosed = "{\\rtf1 a" + std::string(1000000, '{') + "x";
  EXPECT_EQ(Text(unclosed), "a");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  // Just inside the limit the text is still shown.
  const int inside = CRtfDocument::kMaxDepth - 1;
  EXPECT_EQ(Text("{\\rtf1 " + std::string(inside, '{') + "deep" + std::string(inside, '}') + "}"), "deep");

  // Random bytes mixed with RTF syntax.
  std::mt19937 random(12345);
  const std::string alphabet = "{}\\'*uc0123456789abfhilnprstx-; \"\r\n\x80\xff";
  for (int round = 0; round < 2000; ++round) {
    std::string junk = "{\\rtf1 ";
    const int length = static_cast<int>(random() % 200);
    for (int i = 0; i < length; ++i) junk += alphabet[random() % alphabet.size()];
    CRtfDocument::Parse(junk).PlainText();
  }
}

TEST(RtfDocument, TextThatIsNotRtfIsShownAsPlainLines) {
  const CRtfDocument doc = CRtfDocument::Parse("first line\r\nsecond \x80\n\nlast");
  EXPECT_EQ(doc.PlainText(), "first line\nsecond \xE2\x82\xAC\n\nlast");
  EXPECT_EQ(CRtfDocument::Parse("").Paragraphs().size(), 0u);
  EXPECT_EQ(Text("  \r\n{\\rtf1 x}"), "x");  // leading blanks before the header are allowed
}

TEST(RtfDocument, DetectLinksFindsAddressesAtWordStarts) {
  CRtfDocument doc = CRtfDocument::Parse(
      R"({\rtf1 See www.example.org/x, or (https://example.org/p?q=1). Mail mailto:a@example.org! )"
      R"(Not xhttp://example.org nor "www." alone. {\b http://bold.example.org})"
      R"({\field{\*\fldinst HYPERLINK "https://target.example.org"}{\fldrslt http://shown.example.org}}})");
  doc.DetectLinks();
  std::vector<std::string> links;
  for (const CRtfRun& run : doc.Paragraphs()[0].runs)
    if (!run.link.empty()) {
      links.push_back(run.link);
      EXPECT_EQ(run.link == "https://target.example.org" ? "http://shown.example.org" : run.link, run.text);
    }
  EXPECT_EQ(links, (std::vector<std::string>{"www.example.org/x", "https://example.org/p?q=1", "mailto:a@example.org",
                                             "http://bold.example.org", "https://target.example.org"}));
  EXPECT_TRUE(RunWith(doc, "http://bold")->bold);  // detection keeps the run's format
  EXPECT_EQ(doc.PlainText(), CRtfDocument::Parse(R"({\rtf1 See www.example.org/x, or (https://example.org/p?q=1). )"
                                                 R"(Mail mailto:a@example.org! Not xhttp://example.org nor "www." )"
                                                 R"(alone. http://bold.example.orghttp://shown.example.org})")
                                 .PlainText());
}

TEST(RtfDocument, BundledDocumentsUseBoldColourAndALink) {
  for (const char* name : {"Licence.rtf", "Grid_Expiry_Warning.rtf"}) {
    const std::string bytes = ReadFileBytes(std::string(MAREVERT_SOURCE_DIR) + "/data/" + name);
    ASSERT_FALSE(bytes.empty()) << name;
    CRtfDocument doc = CRtfDocument::Parse(bytes);
    doc.DetectLinks();
    bool bold = false, colour = false, link = false;
    for (const CRtfParagraph& p : doc.Paragraphs())
      for (const CRtfRun& r : p.runs) {
        bold |= r.bold;
        colour |= r.hasColour;
        link |= r.link.rfind("https://www.example.org/", 0) == 0;
      }
    EXPECT_TRUE(bold && colour && link) << name;
    EXPECT_NE(doc.PlainText().find("not for navigation"), std::string::npos) << name;
    EXPECT_EQ(doc.PlainText().find('{'), std::string::npos) << name;
  }
}
