#pragma once
// --help and --version, which the command-line programs answer before they read anything
// else on the line, so that they always answer.

namespace kelm::runtime {

struct InfoArguments {
  int help = 0;     // argv index of the first --help (or -h where taken), 0 when none
  int version = 0;  // argv index of the first --version, 0 when none
  // The one that comes first on the line, 0 when neither does.
  int first() const { return help != 0 && (version == 0 || help < version) ? help : version; }
};

// Looks at the arguments up to "--", after which every argument is an operand.
InfoArguments findInfoArguments(int argc, const char* const* argv, bool shortHelp);

}  // namespace kelm::runtime
