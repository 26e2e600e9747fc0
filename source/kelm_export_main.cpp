#include <cstdio>
#include <cstdlib>
#include <thread>

#include "runtime/fp_traps.h"
#include "source/export/export_options.h"
#include "source/export/project_export.h"
#include "window/offscreen.h"

using namespace kelm;

int main(int argc, char** argv) {
  // Help, version and usage errors are answered before Qt starts, so they need no display.
  const exporting::CommandLine line = exporting::parseCommandLine(argc, argv);
  switch (line.request) {
    case exporting::Request::kHelp:
      std::fputs(exporting::helpText().c_str(), stdout);
      return 0;
    case exporting::Request::kVersion:
      std::fputs(exporting::versionText().c_str(), stdout);
      return 0;
    case exporting::Request::kUsageError:
      std::fprintf(stderr, "kelm-export: %s (see kelm-export --help)\n", line.error.c_str());
      return 2;
    case exporting::Request::kExport:
      break;
  }
  window::OffscreenSession qt(argc, argv);
  int status = 1;
  // The export runs as kelm's program thread does: floating-point faults stop it.
  std::thread([&] {
    enableFloatingPointTraps([](const char* what) {
      std::fprintf(stderr, "kelm-export: run-time error 200: %s\n", what);
      std::_Exit(1);
    });
    status = exporting::runExport(line.options);
  }).join();
  return status;
}
