// Writes the layered codec's cases for a reader that is not ours (check_layered_chunks.js,
// laz-perf under node) into FOLDER: made-up records of formats 6 to 8 (whole layers held,
// channels hopping, odd GPS times: see LazRecords14.h) and our chunks of them, which laz-perf
// must decode to exactly those records. cases.json lists them. (Whole files, ours and other
// encoders', are check_laz_codec.js's.)
//
// Usage: laz_layered_cases FOLDER

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "LazRecords14.h"
#include "core/laz/LazLayeredChunk.h"
#include "support/TestSupport.h"

namespace {

void Write(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  WriteFileBytes(path.string(), std::string(bytes.begin(), bytes.end()));
}

std::string Join(const std::vector<std::size_t>& values) {
  std::string text;
  for (std::size_t v : values) {
    if (!text.empty()) text += ',';
    text += std::to_string(v);
  }
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: laz_layered_cases FOLDER\n");
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  std::filesystem::create_directories(folder);
  std::string manifest = "{\"chunks\": [\n";

  struct CCase {
    int format;
    std::size_t extraBytes, points;
  };
  const CCase cases[] = {{6, 0, 60000}, {6, 5, 20000}, {7, 0, 60000}, {7, 1, 20000}, {8, 0, 20000}, {8, 3, 60000}};
  for (const CCase& c : cases) {
    const CRecords14 r =
        MakeRecords14(c.format, c.extraBytes, c.points, {1, 3, 2000, 15000, 400, 40000}, 500 + c.format);
    CLazLayeredEncoder encoder(Items14(c.format, c.extraBytes));
    std::vector<std::uint8_t> chunks;
    std::vector<std::size_t> sizes;
    std::size_t first = 0;
    for (std::size_t count : r.chunkSizes) {
      const std::size_t before = chunks.size();
      encoder.EncodeChunk(r.bytes.data() + first * r.recordLength, count, chunks);
      sizes.push_back(chunks.size() - before);
      first += count;
    }
    std::string name = "f";  // f6_extra0, ...
    name += std::to_string(c.format) + "_extra" + std::to_string(c.extraBytes);
    Write(folder / (name + ".chunks"), chunks);
    Write(folder / (name + ".records"), r.bytes);
    manifest += std::string(&c == cases ? "" : ",\n") + "{\"name\": \"" + name +
                "\", \"format\": " + std::to_string(c.format) +
                ", \"recordLength\": " + std::to_string(r.recordLength) + ", \"points\": [" + Join(r.chunkSizes) +
                "], \"sizes\": [" + Join(sizes) + "]}";
  }

  manifest += "\n]}\n";
  WriteFileBytes((folder / "cases.json").string(), manifest);
  return 0;
}
