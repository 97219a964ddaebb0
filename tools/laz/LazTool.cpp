// laz_tool: the LAZ codec on whole files, for its checks against other implementations
// and its bench.
//   laz_tool compress IN.las OUT.laz [CHUNK_SIZE | variable:N,M,...]
//   laz_tool decompress IN.laz OUT.las
//   laz_tool records IN.laz|IN.las OUT   the point records alone, one after the other
//   laz_tool random FORMAT EXTRA_BYTES COUNT SEED OUT.las
// Exit status 0 done, 1 the input could not be read or written, 2 a usage error.

#include <cstdio>
#include <exception>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "LazFile.h"
#include "LazRandomRecords.h"

namespace {

CBytes ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + path);
  return CBytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const CBytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

int Usage() {
  std::fputs(
      "usage: laz_tool compress IN.las OUT.laz [CHUNK_SIZE | variable:N,M,...]\n"
      "       laz_tool decompress IN.laz OUT.las\n"
      "       laz_tool records IN.laz|IN.las OUT\n"
      "       laz_tool random FORMAT EXTRA_BYTES COUNT SEED OUT.las\n",
      stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return Usage();
  try {
    const std::string& command = args[0];
    if (command == "compress" && (args.size() == 3 || args.size() == 4)) {
      std::uint32_t chunkSize = CLazVlr::kDefaultChunkSize;
      std::vector<std::uint32_t> sizes;
      if (args.size() == 4 && args[3].rfind("variable:", 0) == 0) {
        chunkSize = CLazVlr::kVariableChunks;
        for (std::size_t at = 9; at < args[3].size();) {
          std::size_t end = args[3].find(',', at);
          if (end == std::string::npos) end = args[3].size();
          sizes.push_back(static_cast<std::uint32_t>(std::stoul(args[3].substr(at, end - at))));
          at = end + 1;
        }
      } else if (args.size() == 4) {
        chunkSize = static_cast<std::uint32_t>(std::stoul(args[3]));
      }
      WriteAll(args[2], LasToLaz(ReadAll(args[1]), chunkSize, sizes));
    } else if (command == "decompress" && args.size() == 3) {
      WriteAll(args[2], LazToLas(ReadAll(args[1])));
    } else if (command == "records" && args.size() == 3) {
      const CBytes file = ReadAll(args[1]);
      const CLasLayout layout = ReadLasLayout(file);
      if (layout.compressed) {
        WriteAll(args[2], DecodeLazRecords(file));
      } else {
        const auto begin = file.begin() + static_cast<std::ptrdiff_t>(layout.pointDataOffset);
        WriteAll(args[2], CBytes(begin, begin + static_cast<std::ptrdiff_t>(layout.pointCount * layout.recordLength)));
      }
    } else if (command == "random" && args.size() == 6) {
      const int format = std::stoi(args[1]);
      const std::size_t extra = std::stoul(args[2]);
      const CBytes records = RandomRecords(format, extra, std::stoul(args[3]), std::stoull(args[4]));
      WriteAll(args[5], MakeLas(format, LasFormatLength(format) + extra, records));
    } else {
      return Usage();
    }
  } catch (const std::invalid_argument&) {
    return Usage();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "laz_tool: %s\n", error.what());
    return 1;
  }
  return 0;
}
