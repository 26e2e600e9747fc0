#pragma once
// Where the running program and the process stand in the file system.

#include <string>
#include <string_view>

namespace kelm {

// The directory of the running executable, without a trailing separator; empty if unknown.
std::string executableDirectory();

// The process's current directory; empty when it cannot be read.
std::string currentDirectory();

// Whether path names directory or something inside it (both absolute, without "." or "..").
bool isWithin(std::string_view path, std::string_view directory);

}  // namespace kelm
