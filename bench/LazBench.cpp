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
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "LazFile.h"
#include "core/common/ByteOrder.h"
#include "core/laz/LazChunkCodec.h"
#include "core/laz/LazChunkTable.h"

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kRecord = 28;  // point format 1

// Records of a survey along lines sweeping back and forth (about 1 m apart along a
// line, 50 m between lines), as a lidar or multibeam survey delivers them: X and Y in
// 1e-7 degrees, depths in millimetres changing smoothly, GPS times 20 microseconds
// apart, intensities and returns as a sensor gives them.
CBytes TrackRecords(std::size_t count) {
  CBytes records(count * kRecord);
  std::mt19937_64 random(42);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  double lon = 0.01, lat = 0.01, step = 0.00001, depth = -20.0, time = 302400.0;
  for (std::size_t i = 0; i < count; ++i) {
    lon += step;
    if (lon > 4.99 || lon < 0.01) {
      step = -step;
      lat += 0.0005;
      if (lat > 4.99) lat = 0.01;
      time += 30.0;
    }
    depth += 0.02 * (unit(random) - 0.5);
    time += 2e-5;
    std::uint8_t* r = &records[i * kRecord];
    WriteLittleEndian(r, static_cast<std::int32_t>(lon / 1e-7));
    WriteLittleEndian(r + 4, static_cast<std::int32_t>((lat + 0.00001 * unit(random)) / 1e-7));
    WriteLittleEndian(r + 8, static_cast<std::int32_t>(std::lround(depth * 1000)));
    WriteLittleEndian(r + 12, static_cast<std::uint16_t>(300 + random() % 200));
    const unsigned returns = random() % 10 == 0 ? 2 : 1;
    r[14] = static_cast<std::uint8_t>((returns == 2 ? 1 + random() % 2 : 1) | returns << 3 | (step > 0 ? 0x40 : 0));
    r[15] = random() % 50 == 0 ? 7 : 2;
    r[16] = static_cast<std::uint8_t>(static_cast<std::int8_t>(std::lround(20 * (lon - std::floor(lon)) - 10)));
    WriteLittleEndian(r + 18, static_cast<std::uint16_t>(lat / 0.0005));
    WriteLittleEndian(r + 20, time);
  }
  return records;
}

std::uint32_t Fnv1a(const CBytes& bytes) {
  std::uint32_t hash = 0x811c9dc5u;
  for (const std::uint8_t b : bytes) hash = (hash ^ b) * 0x01000193u;
  return hash;
}

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
        records.resize(chunk.points * kRecord);
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

// Runs a shell command, answering its standard output.
std::string Output(const std::string& command) {
  std::string text;
  if (std::FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe)) text += buffer;
    if (pclose(pipe) != 0) text.clear();
  }
  return text;
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
  const CBytes las = MakeLas(1, kRecord, records);
  CBytes laz;
  const double encodeSeconds = MedianSeconds([&] { laz = LasToLaz(las); });
  std::ofstream(lazPath, std::ios::binary).write(reinterpret_cast<const char*>(laz.data()), laz.size());
  const CLasLayout layout = ReadLasLayout(laz);
  const CLazVlr vlr = FindLazVlr(laz);
  const auto table = CLazChunkTable::Parse(
      &laz[ReadLittleEndian<std::uint64_t>(&laz[layout.pointDataOffset])],
      laz.size() - ReadLittleEndian<std::uint64_t>(&laz[layout.pointDataOffset]), layout.pointDataOffset + 8,
      ReadLittleEndian<std::uint64_t>(&laz[layout.pointDataOffset]), vlr.chunkSize, layout.pointCount, kRecord);
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
  const std::string modules = std::string(MAREVERT_BENCH_LAZPERF_DIR);
  if (!fs::exists(modules + "/node_modules/laz-perf")) {
    std::system(("bash '" + std::string(MAREVERT_BENCH_SOURCE_DIR) + "/../scripts/npm-packages.sh' >/dev/null").c_str());
  }
  std::vector<double> seconds;
  std::string answer;
  for (int run = 0; run < 3; ++run) {
    answer = Output("NODE_PATH='" + modules + "/node_modules' node '" + MAREVERT_BENCH_SOURCE_DIR +
                    "/lazperf_decode.js' '" + lazPath + "'");
    unsigned long long count = 0;
    double s = 0;
    unsigned long long hash = 0;
    if (std::sscanf(answer.c_str(), "%llu %lf %llu", &count, &s, &hash) != 3) break;
    if (count != points || hash != Fnv1a(records)) {
      std::printf("laz-perf  read %llu points, records hash %llu (ours %u): NOT the same\n", count, hash,
                  Fnv1a(records));
    }
    seconds.push_back(s);
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
