#pragma once
// Runs marevert-cli (or any command line) the way a script does, for the command-line
// tests: in a folder, with nothing on standard input, both output streams captured.

#include <string>

#include "support/TestSupport.h"

struct CCliRun {
  int exitCode;  // -1 when the command did not exit normally
  std::string out, err;
};

// Runs the shell command line `command` in `folder`; standard output and error are
// captured through stdout.txt and stderr.txt in `capture`.
CCliRun RunShell(const std::string& folder, const std::string& command, const CScratchDir& capture);
// Runs the built marevert-cli with `arguments` in the scratch folder.
CCliRun RunCli(const CScratchDir& dir, const std::string& arguments);
