#include "core/doc/RtfDocument.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>

namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr int kMaxWordLength = 32;       // longer control words are cut (RTF allows 32 letters)
constexpr int kMaxParameterDigits = 10;  // RTF parameters are 16- or 32-bit numbers
constexpr int kMaxFallbackSkip = 16;     // bound for \ucN

// Destinations whose content is never shown.
constexpr std::array<std::string_view, 48> kSkippedDestinations = {
    "fonttbl",      "stylesheet", "info",      "pict",       "header",
    "headerl",      "headerr",    "headerf",   "footer",     "footerl",
    "footerr",      "footerf",    "footnote",  "annotation", "object",
    "objdata",      "xe",         "tc",        "txe",        "rxe",
    "bkmkstart",    "bkmkend",    "filetbl",   "listtable",  "listoverridetable",
    "revtbl",       "rsidtbl",    "generator", "themedata",  "colorschememapping",
    "latentstyles", "datastore",  "xmlnstbl",  "nonshppict", "shppict",
    "author",       "operator",   "title",     "subject",    "comment",
    "doccomm",      "keywords",   "company",   "pn",         "pgdsctbl",
    "mmathPr",      "template",   "docvar"};

bool IsSkippedDestination(std::string_view word) {
  return std::find(kSkippedDestinations.begin(), kSkippedDestinations.end(), word) != kSkippedDestinations.end();
}

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The target of a field instruction "HYPERLINK "url"" (switches such as \o "tip" are
// passed over); "" for other fields and for links to bookmarks inside the document (\l).
std::string HyperlinkTarget(const std::string& instruction) {
  std::size_t pos = instruction.find_first_not_of(" \t\r\n");
  static constexpr std::string_view kWord = "HYPERLINK";
  if (pos == std::string::npos || instruction.size() - pos < kWord.size()) return "";
  for (std::size_t i = 0; i < kWord.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(instruction[pos + i])) != kWord[i]) return "";
  pos += kWord.size();

  auto nextToken = [&](std::string& token) {
    pos = instruction.find_first_not_of(" \t\r\n", pos);
    if (pos == std::string::npos) return false;
    if (instruction[pos] == '"') {
      const std::size_t end = instruction.find('"', pos + 1);
      token = instruction.substr(pos + 1, end == std::string::npos ? std::string::npos : end - pos - 1);
      pos = end == std::string::npos ? instruction.size() : end + 1;
    } else {
      const std::size_t end = instruction.find_first_of(" \t\r\n", pos);
      token = instruction.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
      pos = end == std::string::npos ? instruction.size() : end;
    }
    return true;
  };

  std::string token;
  while (nextToken(token)) {
    if (token.size() == 2 && token[0] == '\\') {
      if (token[1] == 'l') return "";  // a jump inside the document
      std::string argument;
      if (token[1] == 'o' || token[1] == 't') nextToken(argument);  // tip text, target frame
      continue;
    }
    return token;
  }
  return "";
}

}  // namespace

char32_t Cp1252ToUnicode(unsigned char byte) {
  static constexpr char16_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                         0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                         0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                         0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  if (byte >= 0x80 && byte < 0xA0) return kHigh[byte - 0x80];
  return byte;
}

void AppendUtf8(std::string& out, char32_t code) {
  if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) code = kReplacement;
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

bool CRtfRun::SameFormat(const CRtfRun& other) const {
  return bold == other.bold && italic == other.italic && underline == other.underline && fontSize == other.fontSize &&
         hasColour == other.hasColour && (!hasColour || colour == other.colour) && link == other.link;
}

std::string CRtfParagraph::Text() const {
  std::string text;
  for (const CRtfRun& run : runs) text += run.text;
  return text;
}

std::string CRtfDocument::PlainText() const {
  std::string text;
  for (std::size_t i = 0; i < m_paragraphs.size(); ++i) {
    if (i) text += '\n';
    text += m_paragraphs[i].Text();
  }
  return text;
}

// The parser proper: one pass over the bytes with a stack of group states.
class CRtfParser {
 public:
  explicit CRtfParser(std::string_view bytes) : m_in(bytes) {}

  CRtfDocument Run() {
    while (m_pos < m_in.size()) Step();
    EndDocument();
    return std::move(m_doc);
  }

 private:
  enum class EDest { Text, Skip, ColourTable, FieldInstruction };

  struct State {
    // character format
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int fontSize = 0;
    int colourIndex = 0;
    std::string link;
    // paragraph format
    ERtfAlign align = ERtfAlign::Left;
    int leftIndent = 0;
    int firstIndent = 0;
    int spaceBefore = 0;
    int spaceAfter = 0;
    // group
    EDest dest = EDest::Text;
    int fallbackChars = 1;  // \ucN: characters that follow \uN for readers without Unicode
    int field = -1;         // index into m_fieldInstructions of the enclosing field
  };

  void Step() {
    const char c = m_in[m_pos];
    if (m_overflow > 0) {  // inside a group nested too deeply: only count braces
      if (c == '{') ++m_overflow;
      if (c == '}') --m_overflow;
      m_pos += (c == '\\') ? 2 : 1;  // an escaped brace does not count
      return;
    }
    switch (c) {
      case '{':
        ++m_pos;
        m_skip = 0;
        if (static_cast<int>(m_stack.size()) >= CRtfDocument::kMaxDepth) {
          m_overflow = 1;
        } else {
          m_stack.push_back(m_state);
          m_ignorable = false;
        }
        return;
      case '}':
        ++m_pos;
        m_skip = 0;
        if (!m_stack.empty()) {
          m_state = std::move(m_stack.back());
          m_stack.pop_back();
        }
        return;
      case '\\':
        ControlSequence();
        return;
      case '\r':
      case '\n':
        ++m_pos;
        return;
      default:
        ++m_pos;
        if (ConsumeFallback()) return;
        Character(Cp1252ToUnicode(static_cast<unsigned char>(c)));
    }
  }

  // Characters that follow \uN are the fallback for readers without Unicode: skip them.
  bool ConsumeFallback() {
    if (m_skip <= 0) return false;
    --m_skip;
    return true;
  }

  void ControlSequence() {
    ++m_pos;  // the backslash
    if (m_pos >= m_in.size()) return;
    const char c = m_in[m_pos];
    if (IsLetter(c)) {
      ControlWord();
      return;
    }
    ++m_pos;
    if (c == '\'') {
      int value = -1;
      if (m_pos + 2 <= m_in.size()) {
        const int high = HexValue(m_in[m_pos]);
        const int low = HexValue(m_in[m_pos + 1]);
        if (high >= 0 && low >= 0) {
          value = high * 16 + low;
          m_pos += 2;
        }
      }
      if (ConsumeFallback() || value < 0) return;
      Character(Cp1252ToUnicode(static_cast<unsigned char>(value)));
      return;
    }
    if (c == '*') {
      m_ignorable = true;
      return;
    }
    if (ConsumeFallback()) return;
    switch (c) {
      case '\\':
      case '{':
      case '}':
        Character(static_cast<unsigned char>(c));
        break;
      case '~':
        Character(0x00A0);
        break;
      case '_':
        Character(0x2011);
        break;
      case '\r':
      case '\n':
        EndParagraph();
        break;
      case '\t':
        Character('\t');
        break;
      default:
        break;  // optional hyphen (\-), formula character (\|), index marks: nothing shown
    }
  }

  void ControlWord() {
    std::string word;
    while (m_pos < m_in.size() && IsLetter(m_in[m_pos])) {
      if (static_cast<int>(word.size()) < kMaxWordLength) word += m_in[m_pos];
      ++m_pos;
    }
    bool hasParameter = false;
    bool negative = false;
    long long parameter = 0;
    if (m_pos + 1 < m_in.size() && m_in[m_pos] == '-' && IsDigit(m_in[m_pos + 1])) {
      negative = true;
      ++m_pos;
    }
    int digits = 0;
    while (m_pos < m_in.size() && IsDigit(m_in[m_pos])) {
      if (digits++ < kMaxParameterDigits) parameter = parameter * 10 + (m_in[m_pos] - '0');
      hasParameter = true;
      ++m_pos;
    }
    if (m_pos < m_in.size() && m_in[m_pos] == ' ') ++m_pos;  // the delimiting space belongs to the word
    if (negative) parameter = -parameter;
    const int value = static_cast<int>(std::clamp<long long>(parameter, -2147483647LL, 2147483647LL));

    const bool ignorable = m_ignorable;
    m_ignorable = false;

    if (word == "bin") {  // binary data follows; never shown
      const std::size_t length = value > 0 ? static_cast<std::size_t>(value) : 0;
      m_pos += std::min(length, m_in.size() - m_pos);
      return;
    }
    if (Destination(word, ignorable)) return;
    if (word == "u") {
      if (ConsumeFallback()) return;
      UnicodeCharacter(value);
      m_skip = m_state.fallbackChars;
      return;
    }
    if (ConsumeFallback()) return;
    Word(word, hasParameter, value);
  }

  // Destination words; true when `word` was one.
  bool Destination(const std::string& word, bool ignorable) {
    if (word == "fldinst") {
      m_state.dest = m_state.field >= 0 ? EDest::FieldInstruction : EDest::Skip;
      return true;
    }
    if (word == "field") {
      m_state.field = static_cast<int>(m_fieldInstructions.size());
      m_fieldInstructions.emplace_back();
      return true;
    }
    if (word == "fldrslt") {
      if (m_state.field >= 0) m_state.link = HyperlinkTarget(m_fieldInstructions[m_state.field]);
      return true;
    }
    if (word == "colortbl") {
      m_state.dest = EDest::ColourTable;
      m_colourDefined = false;
      m_colour = CRtfColour();
      return true;
    }
    if (ignorable || IsSkippedDestination(word)) {
      m_state.dest = EDest::Skip;
      return true;
    }
    return false;
  }

  void Word(const std::string& word, bool hasParameter, int value) {
    const bool on = !hasParameter || value != 0;
    State& s = m_state;
    if (word == "par" || word == "page" || word == "sect" || word == "row") {
      EndParagraph();
    } else if (word == "line") {
      Character('\n');
    } else if (word == "tab" || word == "cell") {
      Character('\t');
    } else if (word == "b") {
      s.bold = on;
    } else if (word == "i") {
      s.italic = on;
    } else if (word == "ul" || word == "uld" || word == "uldb" || word == "ulw" || word == "uldash" || word == "ulth" ||
               word == "ulwave") {
      s.underline = on;
    } else if (word == "ulnone") {
      s.underline = false;
    } else if (word == "plain") {
      s.bold = s.italic = s.underline = false;
      s.fontSize = 0;
      s.colourIndex = 0;
    } else if (word == "fs") {
      s.fontSize = hasParameter ? std::clamp(value, 0, 3276) : 24;
    } else if (word == "cf") {
      s.colourIndex = std::max(0, value);
    } else if (word == "pard") {
      s.align = ERtfAlign::Left;
      s.leftIndent = s.firstIndent = s.spaceBefore = s.spaceAfter = 0;
    } else if (word == "ql") {
      s.align = ERtfAlign::Left;
    } else if (word == "qc") {
      s.align = ERtfAlign::Centre;
    } else if (word == "qr") {
      s.align = ERtfAlign::Right;
    } else if (word == "qj") {
      s.align = ERtfAlign::Justify;
    } else if (word == "li") {
      s.leftIndent = std::clamp(value, -31680, 31680);  // 22 inches either way
    } else if (word == "fi") {
      s.firstIndent = std::clamp(value, -31680, 31680);
    } else if (word == "sb") {
      s.spaceBefore = std::clamp(value, 0, 31680);
    } else if (word == "sa") {
      s.spaceAfter = std::clamp(value, 0, 31680);
    } else if (word == "uc") {
      s.fallbackChars = std::clamp(value, 0, kMaxFallbackSkip);
    } else if (word == "red" || word == "green" || word == "blue") {
      if (s.dest != EDest::ColourTable) return;
      const auto component = static_cast<std::uint8_t>(std::clamp(value, 0, 255));
      (word == "red" ? m_colour.red : word == "green" ? m_colour.green : m_colour.blue) = component;
      m_colourDefined = true;
    } else if (word == "emdash") {
      Character(0x2014);
    } else if (word == "endash") {
      Character(0x2013);
    } else if (word == "bullet") {
      Character(0x2022);
    } else if (word == "lquote") {
      Character(0x2018);
    } else if (word == "rquote") {
      Character(0x2019);
    } else if (word == "ldblquote") {
      Character(0x201C);
    } else if (word == "rdblquote") {
      Character(0x201D);
    } else if (word == "emspace" || word == "enspace" || word == "qmspace") {
      Character(' ');
    }
    // every other word changes nothing that is shown
  }

  void UnicodeCharacter(int value) {
    // Parameters are signed 16-bit: code points above 32767 are written negative.
    char32_t code = value < 0 ? static_cast<char32_t>(value + 65536) : static_cast<char32_t>(value);
    if (value < -32768 || code > 0xFFFF) code = kReplacement;
    if (code >= 0xD800 && code <= 0xDBFF) {  // first half of a surrogate pair
      if (m_highSurrogate) Character(kReplacement);
      m_highSurrogate = code;
      return;
    }
    if (code >= 0xDC00 && code <= 0xDFFF) {
      if (m_highSurrogate) {
        const char32_t high = m_highSurrogate;
        m_highSurrogate = 0;
        Character(0x10000 + ((high - 0xD800) << 10) + (code - 0xDC00));
      } else {
        Character(kReplacement);
      }
      return;
    }
    Character(code);
  }

  void Character(char32_t code) {
    if (m_highSurrogate) {  // a lone first half
      m_highSurrogate = 0;
      Character(kReplacement);
    }
    switch (m_state.dest) {
      case EDest::Skip:
        return;
      case EDest::ColourTable:
        if (code == ';') {
          m_colours.push_back({m_colour, m_colourDefined});
          m_colour = CRtfColour();
          m_colourDefined = false;
        }
        return;
      case EDest::FieldInstruction:
        AppendUtf8(m_fieldInstructions[m_state.field], code);
        return;
      case EDest::Text:
        break;
    }
    CRtfRun format;
    format.bold = m_state.bold;
    format.italic = m_state.italic;
    format.underline = m_state.underline;
    format.fontSize = m_state.fontSize;
    const int index = m_state.colourIndex;
    if (index > 0 && index < static_cast<int>(m_colours.size()) && m_colours[index].second) {
      format.hasColour = true;
      format.colour = m_colours[index].first;
    }
    format.link = m_state.link;
    std::vector<CRtfRun>& runs = m_paragraph.runs;
    if (runs.empty() || !runs.back().SameFormat(format)) runs.push_back(std::move(format));
    AppendUtf8(runs.back().text, code);
  }

  void EndParagraph() {
    if (m_state.dest != EDest::Text) return;
    m_paragraph.align = m_state.align;
    m_paragraph.leftIndent = m_state.leftIndent;
    m_paragraph.firstIndent = m_state.firstIndent;
    m_paragraph.spaceBefore = m_state.spaceBefore;
    m_paragraph.spaceAfter = m_state.spaceAfter;
    m_doc.m_paragraphs.push_back(std::move(m_paragraph));
    m_paragraph = CRtfParagraph();
  }

  void EndDocument() {
    if (m_highSurrogate) {
      m_highSurrogate = 0;
      m_state.dest = EDest::Text;
      Character(kReplacement);
    }
    // The text after the last \par is a paragraph of its own when there is any.
    if (!m_paragraph.runs.empty()) {
      m_state.dest = EDest::Text;
      EndParagraph();
    }
  }

  std::string_view m_in;
  std::size_t m_pos = 0;
  CRtfDocument m_doc;
  CRtfParagraph m_paragraph;
  State m_state;
  std::vector<State> m_stack;
  int m_overflow = 0;        // depth below kMaxDepth being skipped
  bool m_ignorable = false;  // "\*" seen: the next word names a destination that may be skipped
  int m_skip = 0;            // fallback characters still to skip after \uN
  char32_t m_highSurrogate = 0;
  std::vector<std::pair<CRtfColour, bool>> m_colours;  // colour table: colour, defined (else "auto")
  CRtfColour m_colour;
  bool m_colourDefined = false;
  std::vector<std::string> m_fieldInstructions;
};

CRtfDocument CRtfDocument::Parse(std::string_view bytes) {
  std::size_t start = 0;
  while (start < bytes.size() && std::strchr(" \t\r\n", bytes[start]) && bytes[start] != '\0') ++start;
  if (bytes.substr(start, 5) == "{\\rtf") return CRtfParser(bytes.substr(start)).Run();

  // Not RTF: plain text, one paragraph per line.
  CRtfDocument doc;
  CRtfParagraph paragraph;
  paragraph.runs.emplace_back();
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
    if (c == '\n' || c == '\r') {
      doc.m_paragraphs.push_back(paragraph);
      paragraph.runs.back().text.clear();
      continue;
    }
    AppendUtf8(paragraph.runs.back().text, Cp1252ToUnicode(static_cast<unsigned char>(c)));
  }
  if (!paragraph.runs.back().text.empty()) doc.m_paragraphs.push_back(paragraph);
  for (CRtfParagraph& p : doc.m_paragraphs)
    if (p.runs.back().text.empty()) p.runs.clear();
  return doc;
}

namespace {

bool IsUrlStop(unsigned char c) { return c <= ' ' || c == '<' || c == '>' || c == '"' || c == 0x7F; }

bool StartsWithNoCase(std::string_view text, std::size_t pos, std::string_view prefix) {
  if (text.size() - pos < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(text[pos + i])) != prefix[i]) return false;
  return true;
}

// The length of a link starting at `pos`, or 0 when none starts there.
std::size_t LinkLengthAt(std::string_view text, std::size_t pos) {
  static constexpr std::string_view kPrefixes[] = {"http://", "https://", "ftp://", "mailto:", "www."};
  if (pos > 0) {  // links start at a word boundary
    const unsigned char before = static_cast<unsigned char>(text[pos - 1]);
    if (std::isalnum(before) || before == '.' || before == '/' || before == '@' || before >= 0x80) return 0;
  }
  for (std::string_view prefix : kPrefixes) {
    if (!StartsWithNoCase(text, pos, prefix)) continue;
    std::size_t end = pos + prefix.size();
    while (end < text.size() && !IsUrlStop(static_cast<unsigned char>(text[end]))) ++end;
    while (end > pos + prefix.size() && std::strchr(".,;:!?')]}", text[end - 1])) --end;
    return end > pos + prefix.size() ? end - pos : 0;
  }
  return 0;
}

}  // namespace

void CRtfDocument::DetectLinks() {
  for (CRtfParagraph& paragraph : m_paragraphs) {
    std::vector<CRtfRun> runs;
    for (CRtfRun& run : paragraph.runs) {
      if (!run.link.empty()) {
        runs.push_back(std::move(run));
        continue;
      }
      std::size_t done = 0;
      for (std::size_t pos = 0; pos < run.text.size();) {
        const std::size_t length = LinkLengthAt(run.text, pos);
        if (length == 0) {
          ++pos;
          continue;
        }
        CRtfRun piece = run;
        if (pos > done) {
          piece.text = run.text.substr(done, pos - done);
          runs.push_back(piece);
        }
        piece.text = run.text.substr(pos, length);
        piece.link = piece.text;
        runs.push_back(piece);
        pos += length;
        done = pos;
      }
      if (done < run.text.size()) {
        run.text.erase(0, done);
        runs.push_back(std::move(run));
      }
    }
    paragraph.runs = std::move(runs);
  }
}
