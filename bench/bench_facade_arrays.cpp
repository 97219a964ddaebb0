// The library façade's in-memory rate on arrays that bench_python.py writes: x, y and
// z as float64 one after the other in one file. Prints the best of three runs in the
// form "seconds N" and "points N" (read by bench_python.py). Not run on its own by
// run.sh: it needs the arrays.
//
// usage: bench_facade_arrays GRID ARRAYS FROM TO

#include <marevert/Marevert.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: bench_facade_arrays GRID ARRAYS FROM TO\n");
    return 2;
  }
  const marevert::CGrid grid(argv[1]);
  std::ifstream file(argv[2], std::ios::binary | std::ios::ate);
  const std::size_t count = static_cast<std::size_t>(file.tellg()) / (3 * sizeof(double));
  std::vector<double> xyz(3 * count);
  file.seekg(0);
  file.read(reinterpret_cast<char*>(xyz.data()), static_cast<std::streamsize>(xyz.size() * sizeof(double)));
  double best = 1e300;
  std::size_t carried = 0;
  for (int run = 0; run < 3; ++run) {
    const auto start = std::chrono::steady_clock::now();
    // Fresh results each run, as the module allocates them.
    std::vector<double> zOut(count);
    std::unique_ptr<bool[]> inside(new bool[count]);
    carried = marevert::Transform(grid, argv[3], argv[4], count, xyz.data(), xyz.data() + count, xyz.data() + 2 * count,
                                  zOut.data(), inside.get());
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  std::printf("seconds %.6f\npoints %zu\ncarried %zu\n", best, count, carried);
  return 0;
}
