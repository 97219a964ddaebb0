#pragma once
// A small reader for the RTF documents shown by the document dialog (the licence, the
// grid expiry notice). It keeps what such documents need on screen: paragraphs with
// alignment, indents and spacing; runs of text with bold, italic, underline, font size,
// colour and a link target (from HYPERLINK fields). Font tables, style sheets, pictures,
// document information and every other destination are skipped. Any byte sequence is
// accepted: malformed or truncated input yields whatever text could be read, and group
// nesting deeper than kMaxDepth is skipped rather than followed.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct CRtfColour {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  bool operator==(const CRtfColour&) const = default;
};

struct CRtfRun {
  std::string text;  // UTF-8; "\n" is a line break inside the paragraph, "\t" a tab
  bool bold = false;
  bool italic = false;
  bool underline = false;
  int fontSize = 0;  // in half-points; 0 = the viewer's default size
  bool hasColour = false;
  CRtfColour colour;
  std::string link;  // link target; empty when the run is no link

  bool SameFormat(const CRtfRun& other) const;
};

enum class ERtfAlign { Left, Centre, Right, Justify };

struct CRtfParagraph {
  std::vector<CRtfRun> runs;
  ERtfAlign align = ERtfAlign::Left;
  int leftIndent = 0;   // twips (1/1440 inch)
  int firstIndent = 0;  // twips, relative to leftIndent
  int spaceBefore = 0;  // twips
  int spaceAfter = 0;   // twips

  std::string Text() const;  // the runs' texts joined
};

class CRtfDocument {
 public:
  static constexpr int kMaxDepth = 128;  // deepest group followed

  // Reads RTF. Text that does not start with "{\rtf" is taken as plain Windows-1252
  // text, one paragraph per line.
  static CRtfDocument Parse(std::string_view bytes);

  const std::vector<CRtfParagraph>& Paragraphs() const { return m_paragraphs; }
  std::vector<CRtfParagraph>& Paragraphs() { return m_paragraphs; }
  // The paragraphs' texts joined with "\n".
  std::string PlainText() const;

  // Automatic link detection: web addresses ("http://", "https://", "ftp://", "www.")
  // and mail links ("mailto:") in text that is not already a link become links to
  // themselves. Trailing sentence punctuation is left outside the link.
  void DetectLinks();

 private:
  std::vector<CRtfParagraph> m_paragraphs;
  friend class CRtfParser;
};

// The Unicode code point of a Windows-1252 byte (undefined bytes map to themselves).
char32_t Cp1252ToUnicode(unsigned char byte);
// Appends the UTF-8 form of `code` (invalid code points as U+FFFD).
void AppendUtf8(std::string& out, char32_t code);
