// The layered LAZ codec (LAS 1.4 point formats 6, 7 and 8): points per second of our decoder
// and encoder on 1,000,000 survey-like records in chunks of 50,000, one thread, beside
// laz-perf's decoder (npm laz-perf, WebAssembly under node) on the same chunks, installed at the
// version the LAS reader checks pin into the build folder on the first run (as bench_laz does).
//   decode    CLazLayeredDecoder::DecodeChunk over every chunk, records to memory
//   encode    CLazLayeredEncoder::EncodeChunk over every chunk
//   laz-perf  ChunkDecoder.getPoint over every chunk (lazperf_chunk_decode.js)
// Target: our decoder at least twice laz-perf's points per second, so that decoding and
// encoding on two cores keeps ahead of laz-perf's decoding alone.
//
// Usage: bench_laz_layered [POINTS]

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "LazRecords14.h"
#include "MedianTime.h"
#include "core/laz/LazLayeredChunk.h"

namespace {

constexpr std::size_t kChunkPoints = 50000;
constexpr int kRuns = 7;

// laz-perf's decoding of the chunks in `folder`, points per second, or a negative value when
// node or laz-perf is not there.
double LazPerfRate(const std::filesystem::path& folder, int format, std::size_t recordLength,
                   const std::vector<std::size_t>& sizes, std::size_t points) {
  // laz-perf as bench_laz installs it (and on the first run of either).
  const std::string modules = MAREVERT_BENCH_LAZPERF_DIR;
  if (!std::filesystem::exists(modules + "/node_modules/laz-perf")) {
    const std::string install = "cd '" + modules + "' && npm ci --no-audit --no-fund --silent >/dev/null 2>&1";
    if (std::system(install.c_str()) != 0) return -1;
  }
  const std::string nodePath = modules + "/node_modules";
  // NODE_PATH='...' node '.../lazperf_chunk_decode.js' 'CHUNKS' FORMAT LENGTH CHUNK POINTS SIZES
  std::string command = "NODE_PATH='";
  command += nodePath;
  command += "' node '";
  command += MAREVERT_SOURCE_DIR;
  command += "/bench/lazperf_chunk_decode.js' '";
  command += (folder / "chunks").string();
  command += '\'';
  for (const std::size_t value : {static_cast<std::size_t>(format), recordLength, kChunkPoints, points}) {
    command += ' ';
    command += std::to_string(value);
  }
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    command += i ? ',' : ' ';
    command += std::to_string(sizes[i]);
  }
  command += " 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return -1;
  double rate = -1;
  if (std::fscanf(pipe, "%lf", &rate) != 1) rate = -1;
  return pclose(pipe) == 0 ? rate : -1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t points = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1000000;
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "marevert_bench_laz_layered";
  std::filesystem::create_directories(folder);
  std::printf("%-22s %12s %12s %12s %8s %10s\n", "records", "decode Mp/s", "encode Mp/s", "laz-perf Mp/s", "ratio",
              "bytes/pt");
  struct CCase {
    int format;
    std::size_t extraBytes;
  };
  for (const CCase c : {CCase{6, 0}, CCase{7, 0}, CCase{8, 0}, CCase{8, 4}}) {
    const CRecords14 r = MakeRecords14(c.format, c.extraBytes, points, {kChunkPoints}, 2024, true);
    const std::vector<CLazItem> items = Items14(c.format, c.extraBytes);
    CLazLayeredEncoder encoder(items);
    CLazLayeredDecoder decoder(items);
    std::vector<std::uint8_t> chunks, decoded(r.bytes.size());
    std::vector<std::size_t> sizes;
    const double encodeMs = MedianMs(kRuns, [&] {
      chunks.clear();
      sizes.clear();
      for (std::size_t first = 0; first < points; first += kChunkPoints) {
        const std::size_t before = chunks.size();
        encoder.EncodeChunk(r.bytes.data() + first * r.recordLength, std::min(kChunkPoints, points - first), chunks);
        sizes.push_back(chunks.size() - before);
      }
    });
    const double decodeMs = MedianMs(kRuns, [&] {
      std::size_t offset = 0;
      for (std::size_t first = 0, i = 0; first < points; first += kChunkPoints, ++i) {
        decoder.DecodeChunk(chunks.data() + offset, sizes[i], std::min(kChunkPoints, points - first),
                            decoded.data() + first * r.recordLength);
        offset += sizes[i];
      }
    });
    if (decoded != r.bytes) {
      std::fprintf(stderr, "format %d: the decoded records differ\n", c.format);
      return 1;
    }
    std::ofstream(folder / "chunks", std::ios::binary)
        .write(reinterpret_cast<const char*>(chunks.data()), static_cast<std::streamsize>(chunks.size()));
    const double lazPerf = LazPerfRate(folder, c.format, r.recordLength, sizes, points);
    const double decodeRate = static_cast<double>(points) / decodeMs / 1000.0;
    const double encodeRate = static_cast<double>(points) / encodeMs / 1000.0;
    std::string name = "format ";
    name += std::to_string(c.format) + " + " + std::to_string(c.extraBytes) + " extra";
    if (lazPerf > 0) {
      std::printf("%-22s %12.2f %12.2f %12.2f %8.2f %10.2f\n", name.c_str(), decodeRate, encodeRate, lazPerf / 1e6,
                  decodeRate / (lazPerf / 1e6), static_cast<double>(chunks.size()) / static_cast<double>(points));
    } else {
      std::printf("%-22s %12.2f %12.2f %12s %8s %10.2f\n", name.c_str(), decodeRate, encodeRate, "n/a", "",
                  static_cast<double>(chunks.size()) / static_cast<double>(points));
    }
  }
  std::filesystem::remove_all(folder);
  return 0;
}
