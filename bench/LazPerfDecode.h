#pragma once
// laz-perf (npm, WebAssembly) decoding a whole LAZ file under node (lazperf_decode.js),
// the peer the LAZ benchmarks measure against: its points, the seconds of its decode
// loop alone, and the FNV-1a hash of the records it decoded, to compare with ours.
// laz-perf comes from npm at the version tests/core/files/lasreader/package-lock.json
// pins; it is installed there on the first run when missing (node and npm on PATH).

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

struct CLazPerfDecode {
  bool ran = false;  // false: node or laz-perf could not run; `answer` says what it printed
  unsigned long long points = 0, hash = 0;
  double seconds = 0;
  std::string answer;
};

// FNV-1a over `bytes`, as lazperf_decode.js hashes the records it decodes.
inline std::uint32_t Fnv1a(const std::vector<std::uint8_t>& bytes) {
  std::uint32_t hash = 0x811c9dc5u;
  for (const std::uint8_t b : bytes) hash = (hash ^ b) * 0x01000193u;
  return hash;
}

// `lazperfDir`: the folder whose node_modules holds laz-perf; `scriptDir`: bench/.
inline CLazPerfDecode LazPerfDecode(const std::string& lazPath, const std::string& lazperfDir,
                                    const std::string& scriptDir) {
  if (!std::filesystem::exists(lazperfDir + "/node_modules/laz-perf"))
    (void)!std::system(("bash '" + scriptDir + "/../scripts/npm-packages.sh' >/dev/null").c_str());
  CLazPerfDecode run;
  const std::string command =
      "NODE_PATH='" + lazperfDir + "/node_modules' node '" + scriptDir + "/lazperf_decode.js' '" + lazPath + "'";
  if (std::FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe)) run.answer += buffer;
    const bool exited = pclose(pipe) == 0;
    run.ran = exited && std::sscanf(run.answer.c_str(), "%llu %lf %llu", &run.points, &run.seconds, &run.hash) == 3;
  }
  return run;
}
