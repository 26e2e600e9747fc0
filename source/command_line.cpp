#include "source/command_line.h"

#include <cstdio>
#include <string>
#include <string_view>

#include "runtime/info_arguments.h"
#include "runtime/process_paths.h"
#include "source/program/startup_paths.h"

namespace kelm {
namespace {

constexpr char kUsage[] =
    "Usage: kelm [TOOLKIT-OPTIONS] [--] [PROJECT]\n"
    "Shows a simulation project of an electron gun: the outline with the beam and the\n"
    "equipotentials, the current density on the cathode, the axial magnetic field and the\n"
    "phase plane of the beam at a chosen z.\n"
    "\n"
    "PROJECT is a file in the project directory, normally its geom.cod, or the directory\n"
    "itself. Without it, kelm asks for the project in a dialog.\n"
    "\n"
    "Options:\n"
    "  --help      print this help and exit\n"
    "  --version   print the version and exit\n"
    "  --          end of the options: the next argument is the project even when it\n"
    "              begins with \"-\"\n"
    "The toolkit's own options are accepted before \"--\", for example -platform offscreen,\n"
    "-style NAME or -geometry WxH+X+Y.\n"
    "\n"
    "Environment:\n"
    "  KELM_LOG       a file (or - for standard error) that receives a copy of every line\n"
    "                 of the Output window (a relative name: from where KELM starts)\n"
    "  KELM_EDITOR    the program that opens geom.cod and klinput.dat (default: xdg-open)\n"
    "  KELM_PRINT_TO  file.pdf or printer:NAME: the print commands print there without\n"
    "                 the print dialog\n"
    "\n";

// Output that cannot be written (a closed pipe, a full disk) is a failure, not a success.
int finish() {
  if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0) return 0;
  std::fputs("kelm: standard output could not be written\n", stderr);
  return 1;
}

}  // namespace

std::optional<int> answerCommandLine(int argc, char** argv) {
  // The arguments are read in order: an unknown option before --help or --version is the answer.
  const runtime::InfoArguments info = runtime::findInfoArguments(argc, argv, false);
  for (int i = 1; i < argc && (info.first() == 0 || i < info.first()); ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--") break;
    if (argument.starts_with("--")) {
      std::fprintf(stderr, "kelm: unknown option %s (kelm --help lists the options)\n", argv[i]);
      return 2;
    }
  }
  if (info.first() == 0) return std::nullopt;
  if (info.first() == info.help) {
    const std::string helpFile = helpFilePathFor(argv[0], executableDirectory());
    std::fputs(kUsage, stdout);
    std::printf("Help file: %s\nSee also: man kelm\n", helpFile.c_str());
  } else {
    std::printf("kelm %s\n", KELM_VERSION);
  }
  return finish();
}

}  // namespace kelm
