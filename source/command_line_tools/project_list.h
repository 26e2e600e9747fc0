#pragma once
// The list of --projects-from, as kelm-export and kelm-solve read it.

#include <string>
#include <string_view>
#include <vector>

namespace kelm::cli {

// The names in the text of a list: one a line (blank lines skipped, a CR before the newline
// dropped) or, with nulSeparated, each ended by a NUL byte (as find -print0 writes them). Throws
// UsageError, naming the list `from`, for a NUL byte in a list of lines, a name longer than a
// path can be, or more than a million names.
std::vector<std::string> projectNames(std::string_view text, bool nulSeparated, std::string_view from);

// The list file `from` ("-": standard input) read whole and split by projectNames. Throws
// UsageError when it cannot be read (a directory, say).
std::vector<std::string> readProjectList(const std::string& from, bool nulSeparated);

}  // namespace kelm::cli
