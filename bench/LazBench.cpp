// The LAZ codec against laz-perf, side by side on the same file: a point format 1 LAZ
// file of 20,000,000 points in survey-track order (scaled by MAREVERT_BENCH_SCALE),
// written by our encoder in chunks of 50,000, then
//   ours      decode, and decode + encode (the LAS handler's work per chunk without the
//             transform), on one thread and on every core (chunks shared out in turn);
//   laz-perf  decode under node (WebAssembly, one thread), which must read our file to
//             the records we wrote (same hash).
// Points per second each, medians of three runs. The LAS handler's aim: decode + encode
// on two cores at least twice laz-perf's decode.
//
// laz-perf comes from npm at the version tests/core/files/lasreader/package-lock.json pins,
// installed into the build folder on the first run (node and npm must be on PATH).

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "LazFile.h"
#include "LazPerfDecode.h"
#include "TrackRecords.h"
#include "core/common/ByteOrder.h"
#include "core/laz/LazChunkCodec.h"
#include "core/laz/LazChunkTable.h"

namespace fs = std::filesystem;

namespace {

double MedianSeconds(const std::function<void()>& work) {
  std::vector<double> times;
  for (int run = 0; run < 3; ++run) {
    const auto start = std::chrono::steady_clock::now();
    work();
    times.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  return times[1];
}

// The chunks of a LAZ file, decoded (and encoded again when `encode`) on `threads`
// threads, each taking every threads-th chunk with its own decoder and encoder.
void RunChunks(const CBytes& laz, const CLazChunkTable& table, const CLazVlr& vlr, unsigned threads, bool encode) {
  std::vector<std::thread> workers;
  for (unsigned t = 0; t < threads; ++t) {
    workers.emplace_back([&, t] {
      CLazChunkDecoder decoder(vlr);
      CLazChunkEncoder encoder(vlr);
      CBytes records, out;
      for (std::size_t i = t; i < table.Chunks().size(); i += threads) {
        const CLazChunkTable::CChunk& chunk = table.Chunks()[i];
        records.resize(chunk.points * kTrackRecord);
        decoder.DecodeChunk(&laz[chunk.offset], chunk.bytes, chunk.points, records.data());
        if (encode) {
          out.clear();
          encoder.EncodeChunk(records.data(), chunk.points, out);
        }
      }
    });
  }
  for (std::thread& worker : workers) worker.join();
}

}  // namespace

int main() {
  const char* scaleText = std::getenv("MAREVERT_BENCH_SCALE");
  const double scale = scaleText ? std::atof(scaleText) : 1.0;
  const auto points = static_cast<std::size_t>(20'000'000 * scale);
  const fs::path dir = fs::temp_directory_path() / ("marevert_bench_laz_" + std::to_string(getpid()));
  fs::create_directories(dir);
  const std::string lazPath = (dir / "cloud.laz").string();

  const CBytes records = TrackRecords(points);
  const CBytes las = MakeLas(1, kTrackRecord, records);
  CBytes laz;
  const double encodeSeconds = MedianSeconds([&] { laz = LasToLaz(las); });
  std::ofstream(lazPath, std::ios::binary).write(reinterpret_cast<const char*>(laz.data()), laz.size());
  const CLasLayout layout = ReadLasLayout(laz);
  const CLazVlr vlr = FindLazVlr(laz);
  const auto table = CLazChunkTable::Parse(
      &laz[ReadLittleEndian<std::uint64_t>(&laz[layout.pointDataOffset])],
      laz.size() - ReadLittleEndian<std::uint64_t>(&laz[layout.pointDataOffset]), layout.pointDataOffset + 8,
      ReadLittleEndian<std::uint64_t>(&laz[layout.pointDataOffset]), vlr.chunkSize, layout.pointCount, kTrackRecord);
  const bool same = DecodeLazRecords(laz) == records;
  std::printf("LAZ point format 1, %zu points in survey-track order: LAS %.1f MB, LAZ %.1f MB (%zu chunks)%s\n", points,
              las.size() / 1e6, laz.size() / 1e6, table.Chunks().size(), same ? "" : ", NOT READ BACK");

  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  const auto rate = [&](double seconds) { return points / seconds / 1e6; };
  const double decode1 = MedianSeconds([&] { RunChunks(laz, table, vlr, 1, false); });
  const double both1 = MedianSeconds([&] { RunChunks(laz, table, vlr, 1, true); });
  const double decodeN = MedianSeconds([&] { RunChunks(laz, table, vlr, cores, false); });
  const double bothN = MedianSeconds([&] { RunChunks(laz, table, vlr, cores, true); });
  std::printf("ours      encode 1 thread %6.2f Mpt/s\n", rate(encodeSeconds));
  std::printf("ours      decode 1 thread %6.2f Mpt/s, %u cores %6.2f Mpt/s\n", rate(decode1), cores, rate(decodeN));
  std::printf("ours      decode+encode 1 thread %6.2f Mpt/s, %u cores %6.2f Mpt/s\n", rate(both1), cores, rate(bothN));

  // laz-perf, as the set-up step installs it for the tests (installed here if missing).
  std::vector<double> seconds;
  std::string answer;
  for (int run = 0; run < 3; ++run) {
    const CLazPerfDecode decode = LazPerfDecode(lazPath, MAREVERT_BENCH_LAZPERF_DIR, MAREVERT_BENCH_SOURCE_DIR);
    answer = decode.answer;
    if (!decode.ran) break;
    if (decode.points != points || decode.hash != Fnv1a(records)) {
      std::printf("laz-perf  read %llu points, records hash %llu (ours %u): NOT the same\n", decode.points, decode.hash,
                  Fnv1a(records));
    }
    seconds.push_back(decode.seconds);
  }
  if (seconds.size() != 3) {
    std::printf("laz-perf  could not run (node, npm and laz-perf needed): %s\n", answer.c_str());
  } else {
    std::sort(seconds.begin(), seconds.end());
    const double lazPerf = rate(seconds[1]);
    std::printf("laz-perf  decode 1 thread %6.2f Mpt/s (WebAssembly under node; same records as ours)\n", lazPerf);
    std::printf("ratio     ours decode+encode on %u cores / laz-perf decode: %.2f (LAS handler aims at >= 2)\n", cores,
                rate(bothN) / lazPerf);
    std::printf("ratio     ours decode 1 thread / laz-perf decode: %.2f\n", rate(decode1) / lazPerf);
  }
  fs::remove_all(dir);
  return 0;
}
