#include "support/CliRun.h"

#include <sys/wait.h>

#include <cstdlib>

CCliRun RunShell(const std::string& folder, const std::string& command, const CScratchDir& capture) {
  const std::string out = capture.File("stdout.txt"), err = capture.File("stderr.txt");
  const std::string line = "cd '" + folder + "' && (" + command + ") >'" + out + "' 2>'" + err + "' </dev/null";
  const int status = std::system(line.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFileBytes(out), ReadFileBytes(err)};
}

CCliRun RunCli(const CScratchDir& dir, const std::string& arguments) {
  return RunShell(dir.Path().string(), "'" MAREVERT_BIN_DIR "/marevert-cli' " + arguments, dir);
}
