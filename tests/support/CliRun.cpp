#include "support/CliRun.h"

#include <sys/wait.h>

#include <cstdlib>

#include "support/TestSupport.h"

CCliRun RunCli(const std::string& program, const std::string& arguments, const std::string& folder) {
  const CScratchDir streams;  // not in `folder`, whose files the tests compare
  const std::string out = streams.File("stdout.txt"), err = streams.File("stderr.txt");
  const std::string command =
      "cd '" + folder + "' && '" + program + "' " + arguments + " >'" + out + "' 2>'" + err + "' </dev/null";
  const int status = std::system(command.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFileBytes(out), ReadFileBytes(err)};
}
