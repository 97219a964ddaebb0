#pragma once
// Runs a command-line program as a script would, for the tests of marevert-cli's
// commands: arguments as shell words, in a given folder, with nothing on standard input.

#include <string>

struct CCliRun {
  int exitCode = -1;  // -1 when the program did not exit by itself
  std::string out, err;
};

CCliRun RunCli(const std::string& program, const std::string& arguments, const std::string& folder);
