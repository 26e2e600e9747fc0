#pragma once
// A program run as a script runs it, through the shell: its exit status, and its standard
// output and error kept apart.

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/records/temp_directory.h"

namespace kelm::testing {

struct Outcome {
  int status = -1;  // -1 when the program did not exit by itself
  std::string out, err;
};

// command is a shell command line; its output passes through two files in scratch, which are
// removed again.
inline Outcome runCommand(const std::string& command, const std::filesystem::path& scratch = ".") {
  const std::filesystem::path out = scratch / ".stdout", err = scratch / ".stderr";
  const int status = std::system((command + " >'" + out.string() + "' 2>'" + err.string() + "'").c_str());
  Outcome o{WIFEXITED(status) ? WEXITSTATUS(status) : -1, TempDirectory::readFile(out.string()),
            TempDirectory::readFile(err.string())};
  std::filesystem::remove(out);
  std::filesystem::remove(err);
  return o;
}

}  // namespace kelm::testing
