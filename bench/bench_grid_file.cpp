// Writes the grid export benchmark's grid (1800 x 900 nodes at one minute, every node
// present) for the scripts that time other programs on it (bench_proj_cct.sh). Not run
// on its own by run.sh.
//
// usage: bench_grid_file OUTPUT.MRGGrid

#include <cstdio>

#include "BenchGridFile.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_grid_file OUTPUT.MRGGrid\n");
    return 2;
  }
  WriteBenchGridFile(argv[1], kExportBenchLattice);
  return 0;
}
