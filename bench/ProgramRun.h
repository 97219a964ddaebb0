#pragma once
// A program run by a benchmark, as a user runs it: its wall time and its peak resident
// memory (the maximum resident set size /usr/bin/time reports), the best time and the
// largest memory of several runs. The program runs under /usr/bin/time rather than
// straight from the benchmark: a process spawned from this one keeps this one's peak
// resident size as its own across exec, and the benchmark holds the files it wrote.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "BenchTempDir.h"

extern char** environ;

struct CProgramRun {
  double seconds = 1e30;
  long peakKiB = 0;
};

// Runs the program (its standard output dropped) and waits for it; ends the benchmark
// when it fails.
inline void MeasureProgram(const std::vector<std::string>& program, CProgramRun& run) {
  const std::string peakFile = MakeBenchFile("marevert-bench-peak");
  std::vector<std::string> arguments = {"/usr/bin/time", "-f", "%M", "-o", peakFile};
  arguments.insert(arguments.end(), program.begin(), program.end());
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  sync();  // earlier runs' writes are not this run's
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) std::exit(1);
  int status = 0;
  waitpid(pid, &status, 0);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  posix_spawn_file_actions_destroy(&actions);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "%s failed\n", program[0].c_str());
    std::exit(1);
  }
  run.seconds = std::min(run.seconds, seconds);
  long peakKiB = 0;
  std::ifstream(peakFile) >> peakKiB;
  std::remove(peakFile.c_str());
  run.peakKiB = std::max(run.peakKiB, peakKiB);
}
