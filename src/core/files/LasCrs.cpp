#include "core/files/LasCrs.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <vector>

#include "core/common/ByteOrder.h"

namespace {

// A name goes into a note: one line of reasonable length.
constexpr std::size_t kMaxName = 120;
// WKT nests a few levels (a compound CRS of a projected CRS of a datum of an ellipsoid
// of a unit ...); deeper text is not a CRS, and the bound keeps the recursion small.
constexpr int kMaxWktDepth = 32;
constexpr int kUserDefined = 32767;

std::string CleanName(std::string_view text) {
  std::string name;
  for (const char c : text.substr(0, kMaxName)) name += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
  const std::size_t first = name.find_first_not_of(' '), last = name.find_last_not_of(' ');
  return first == std::string::npos ? "" : name.substr(first, last - first + 1);
}

// What an EPSG code of a horizontal CRS means for the file's positions.
void Classify(CLasCrs& crs) {
  const int code = crs.epsg;
  const auto zoneOf = [&](int zone49) { return code >= zone49 && code <= zone49 + 7 ? code - zone49 + 49 : 0; };
  // MGA on GDA94 (28349-28356) and GDA2020 (7849-7856), WGS 84 / UTM south (32749-32756).
  for (const int zone49 : {28349, 7849, 32749}) {
    if (const int zone = zoneOf(zone49); zone != 0) {
      crs.kind = CLasCrs::Kind::kMapGrid;
      crs.zone = zone;
      return;
    }
  }
  // GDA94 2D and 3D, GDA2020 2D and 3D, WGS 84 2D and 3D.
  for (const int geographic : {4283, 4939, 7844, 7843, 4326, 4979}) {
    if (code == geographic) {
      crs.kind = CLasCrs::Kind::kGeographic;
      return;
    }
  }
  crs.kind = CLasCrs::Kind::kOther;
}

int CodeOf(std::string_view text) {
  int code = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), code);
  return ec == std::errc() && end == text.data() + text.size() && code > 0 ? code : 0;
}

// ---- GeoTIFF keys ----

// A citation: its first part (writers put "GCS Name = ..." and more behind a "|"),
// without the "PCS Name = " that some put in front.
std::string Citation(std::string_view ascii, std::uint16_t index, std::uint16_t count) {
  if (index >= ascii.size()) return "";
  std::string_view text = ascii.substr(index, count);
  text = text.substr(0, std::min(text.find('|'), text.find('\0')));
  for (const std::string_view prefix : {"PCS Name = ", "GCS Name = "})
    if (text.substr(0, prefix.size()) == prefix) text.remove_prefix(prefix.size());
  return CleanName(text);
}

// ---- WKT ----

struct CWktNode {
  std::string keyword;              // in upper case
  std::vector<std::string> values;  // quoted texts and numbers or words, in order
  std::vector<CWktNode> children;
};

// A WKT node tree: KEYWORD[item, ...] with items that are nodes, "quoted text" (a
// doubled quote standing for one) or bare numbers and words; "(" and ")" may stand for
// "[" and "]" (WKT 1 allows both).
class CWktReader {
 public:
  explicit CWktReader(std::string_view text) : m_text(text) {}

  bool ReadNode(CWktNode& node, int depth) {
    if (depth > kMaxWktDepth) return false;
    node.keyword = Word();
    std::transform(node.keyword.begin(), node.keyword.end(), node.keyword.begin(),
                   [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; });
    if (node.keyword.empty() || !Take("[(")) return false;
    if (Take("])")) return true;
    do {
      SkipSpace();
      if (At('"')) {
        std::string text;
        if (!Quoted(text)) return false;
        node.values.push_back(std::move(text));
        continue;
      }
      const std::size_t start = m_at;
      const std::string word = Word();
      if (word.empty()) return false;
      SkipSpace();
      if (At('[') || At('(')) {
        m_at = start;
        node.children.emplace_back();
        if (!ReadNode(node.children.back(), depth + 1)) return false;
      } else {
        node.values.push_back(word);
      }
    } while (Take(","));
    return Take("])");
  }

 private:
  void SkipSpace() {
    while (m_at < m_text.size() && (m_text[m_at] == ' ' || (m_text[m_at] >= '\t' && m_text[m_at] <= '\r'))) ++m_at;
  }
  bool At(char c) const { return m_at < m_text.size() && m_text[m_at] == c; }
  bool Take(std::string_view any) {
    SkipSpace();
    if (m_at < m_text.size() && any.find(m_text[m_at]) != std::string_view::npos) {
      ++m_at;
      return true;
    }
    return false;
  }
  std::string Word() {
    SkipSpace();
    const std::size_t start = m_at;
    constexpr std::string_view kEnds = "[](),\" \t\n\v\f\r";
    while (m_at < m_text.size() && kEnds.find(m_text[m_at]) == std::string_view::npos) ++m_at;
    return std::string(m_text.substr(start, m_at - start));
  }
  bool Quoted(std::string& text) {
    ++m_at;  // the opening quote
    while (m_at < m_text.size()) {
      const char c = m_text[m_at++];
      if (c != '"') {
        text += c;
      } else if (At('"')) {
        text += '"';
        ++m_at;
      } else {
        return true;
      }
    }
    return false;
  }

  std::string_view m_text;
  std::size_t m_at = 0;
};

bool IsOneOf(const std::string& keyword, std::initializer_list<std::string_view> names) {
  return std::find(names.begin(), names.end(), keyword) != names.end();
}

bool IsHorizontal(const std::string& keyword) {
  return IsOneOf(keyword, {"PROJCS", "GEOGCS", "GEOCCS", "PROJCRS", "PROJECTEDCRS", "GEOGCRS", "GEOGRAPHICCRS",
                           "GEODCRS", "GEODETICCRS"});
}

bool IsVertical(const std::string& keyword) { return IsOneOf(keyword, {"VERT_CS", "VERTCRS", "VERTICALCRS"}); }

// The node's own EPSG code: AUTHORITY["EPSG","28355"] or ID["EPSG",28355]; 0 when none.
int EpsgOf(const CWktNode& node) {
  for (const CWktNode& child : node.children) {
    if (IsOneOf(child.keyword, {"AUTHORITY", "ID"}) && child.values.size() >= 2 &&
        (child.values[0] == "EPSG" || child.values[0] == "epsg"))
      return CodeOf(child.values[1]);
  }
  return 0;
}

// The outermost CRS of `node` for which `wanted` holds: the node itself, a component of
// a compound CRS, or the source of a bound CRS.
const CWktNode* FindCrs(const CWktNode& node, bool (*wanted)(const std::string&)) {
  if (wanted(node.keyword)) return &node;
  if (IsOneOf(node.keyword, {"COMPD_CS", "COMPOUNDCRS", "BOUNDCRS", "SOURCECRS"})) {
    for (const CWktNode& child : node.children) {
      if (node.keyword == "BOUNDCRS" && child.keyword != "SOURCECRS") continue;
      if (const CWktNode* found = FindCrs(child, wanted)) return found;
    }
  }
  return nullptr;
}

}  // namespace

std::string CLasCrs::Describe() const {
  std::string text = epsg ? "EPSG:" + std::to_string(epsg) : "";
  if (!name.empty()) text += text.empty() ? name : " (" + name + ")";
  if (text.empty()) {
    text = "no horizontal CRS";
    if (verticalEpsg) text += " (vertical EPSG:" + std::to_string(verticalEpsg) + ")";
  }
  return text;
}

CLasCrs LasCrsFromGeoKeys(std::string_view directory, std::string_view ascii) {
  CLasCrs crs;
  crs.kind = CLasCrs::Kind::kOther;
  constexpr std::size_t kEntry = 8;  // four unsigned shorts, the directory's header too
  if (directory.size() < kEntry) return crs;
  const std::size_t keys =
      std::min<std::size_t>(ReadLittleEndian<std::uint16_t>(directory.data() + 6), directory.size() / kEntry - 1);
  int model = 0, projected = 0, geographic = 0;
  std::string citation, projectedCitation, geographicCitation;
  for (std::size_t k = 1; k <= keys; ++k) {
    const char* entry = directory.data() + k * kEntry;
    const auto id = ReadLittleEndian<std::uint16_t>(entry);
    const auto location = ReadLittleEndian<std::uint16_t>(entry + 2);
    const auto count = ReadLittleEndian<std::uint16_t>(entry + 4);
    const auto value = ReadLittleEndian<std::uint16_t>(entry + 6);
    if (location == 0) {
      if (id == 1024) model = value;
      if (id == 2048) geographic = value;
      if (id == 3072) projected = value;
      if (id == 4096 && value != kUserDefined) crs.verticalEpsg = value;
    } else if (location == 34737) {
      if (id == 1026) citation = Citation(ascii, value, count);
      if (id == 2049) geographicCitation = Citation(ascii, value, count);
      if (id == 3073) projectedCitation = Citation(ascii, value, count);
    }
  }
  // The model says which of the two a file means; without it, a projected CRS is the
  // one its positions are in.
  const bool isProjected = model == 1 || (model == 0 && projected != 0);
  const bool isGeographic = model == 2 || (model == 0 && projected == 0 && geographic != 0);
  if (isProjected) {
    crs.epsg = projected != kUserDefined ? projected : 0;
    crs.name = !projectedCitation.empty() ? projectedCitation : citation;
  } else if (isGeographic) {
    crs.epsg = geographic != kUserDefined ? geographic : 0;
    crs.name = !geographicCitation.empty() ? geographicCitation : citation;
  }
  if (crs.epsg != 0) Classify(crs);
  return crs;
}

CLasCrs LasCrsFromWkt(std::string_view wkt) {
  CLasCrs crs;
  crs.kind = CLasCrs::Kind::kOther;
  CWktNode root;
  if (!CWktReader(wkt.substr(0, wkt.find('\0'))).ReadNode(root, 0)) return crs;
  if (const CWktNode* horizontal = FindCrs(root, IsHorizontal)) {
    crs.epsg = EpsgOf(*horizontal);
    if (!horizontal->values.empty()) crs.name = CleanName(horizontal->values[0]);
    if (crs.epsg != 0) Classify(crs);
  } else if (const CWktNode* vertical = FindCrs(root, IsVertical)) {
    crs.verticalEpsg = EpsgOf(*vertical);
  }
  return crs;
}
