#include "runtime/info_arguments.h"

#include <string_view>

namespace kelm::runtime {

InfoArguments findInfoArguments(int argc, const char* const* argv, bool shortHelp) {
  InfoArguments found;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--") break;
    if (found.help == 0 && (argument == "--help" || (shortHelp && argument == "-h"))) found.help = i;
    if (found.version == 0 && argument == "--version") found.version = i;
  }
  return found;
}

}  // namespace kelm::runtime
