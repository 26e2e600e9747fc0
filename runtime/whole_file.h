#pragma once
// Files written whole or not at all, so that a reader never meets half of one.

#include <string>
#include <string_view>

namespace kelm::runtime {

// Writes bytes to a temporary file beside path and renames it to path, so that path never
// holds a part of them. On failure nothing is left behind and error says why, in one line.
bool writeWholeFile(const std::string& path, std::string_view bytes, std::string& error);

// Makes sure directory exists, creating it and its parents when missing.
bool makeDirectory(const std::string& directory, std::string& error);

}  // namespace kelm::runtime
