#pragma once
// Where the running program and the process stand in the file system.

#include <string>

namespace kelm {

// The directory of the running executable, without a trailing separator; empty if unknown.
std::string executableDirectory();

// The process's current directory; empty when it cannot be read.
std::string currentDirectory();

}  // namespace kelm
