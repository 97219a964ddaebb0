#pragma once
// The peak resident memory of this process so far (VmHWM), for the memory parts of the
// benchmarks.

#include <cstdlib>
#include <fstream>
#include <string>

// Kibibytes; -1 where /proc does not say.
inline long long PeakKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::atoll(line.c_str() + 6);
  }
  return -1;
}
