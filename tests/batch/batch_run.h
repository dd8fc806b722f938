// Running a built program as a user would: through the shell, with its
// output redirected into files of the test's scratch directory.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "support/temp_dir.h"

namespace korvel::testing {

struct RunResult {
  int exitCode = -1;
  std::string out, err;
};

#ifdef KORVEL_SAMPLES_DIR
// The bundled sample star, as the batch tests read it.
inline const std::string kSampleStar = std::string(KORVEL_SAMPLES_DIR) + "/sample_star.dat";
#endif

// Single quotes keep every byte of an argument as it is.
inline std::string ShellQuote(const std::string& arg) {
  std::string quoted = "'";
  for (const char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// args is passed to the shell as it stands: quote file names with ShellQuote.
inline RunResult RunProgram(const std::string& program, const std::string& args,
                            const TempDir& dir) {
  const std::string outPath = dir.File("stdout.txt");
  const std::string errPath = dir.File("stderr.txt");
  const std::string command =
      ShellQuote(program) + " " + args + " >" + ShellQuote(outPath) + " 2>" + ShellQuote(errPath);
  const int status = std::system(command.c_str());
  RunResult result;
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = ReadFile(outPath);
  result.err = ReadFile(errPath);
  return result;
}

}  // namespace korvel::testing
