#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <thread>

#include "runtime/fp_traps.h"
#include "source/export/export_options.h"
#include "source/export/output_safety.h"
#include "source/export/project_export.h"
#include "source/export/scan_plot_run.h"
#include "window/offscreen.h"

using namespace kelm;

namespace {

int usageError(const std::string& error) { return cli::usageError("kelm-export", error); }

// The work runs as kelm's program thread does: floating-point faults stop it.
template <class Work>
int onProgramThread(Work work) {
  int status = 1;
  std::thread([&] {
    enableFloatingPointTraps([](const char* what) {
      std::fprintf(stderr, "kelm-export: run-time error 200: %s\n", what);
      std::_Exit(1);
    });
    status = work();
  }).join();
  return status;
}

int scanPlot(const exporting::ExportOptions& options, int argc, char** argv) {
  exporting::ScanPlot plot;
  std::string why;
  switch (exporting::prepareScanPlot(options, plot, why)) {
    case exporting::ScanPlotReady::kUsageError:
      return usageError(why);
    case exporting::ScanPlotReady::kFailed:
      std::fprintf(stderr, "kelm-export: %s\n", exporting::shownText(why).c_str());
      return 1;
    case exporting::ScanPlotReady::kReady:
      break;
  }
  window::OffscreenSession qt(argc, argv);
  return onProgramThread([&] { return exporting::writeScanPlot(options, plot); });
}

}  // namespace

int main(int argc, char** argv) {
  // A reader that goes away (| head) is an error of that one write, not the end of the run.
  std::signal(SIGPIPE, SIG_IGN);
  // Help, version and usage errors are answered before Qt starts, so they need no display.
  exporting::CommandLine line = exporting::parseCommandLine(argc, argv);
  switch (line.request) {
    case exporting::Request::kHelp:
      return cli::answer(exporting::helpText());
    case exporting::Request::kDefinitions:
      return cli::answer(exporting::definitionsText());
    case exporting::Request::kVersion:
      return cli::answer(exporting::versionText());
    case exporting::Request::kUsageError:
      return usageError(line.error);
    case exporting::Request::kExport:
      break;
  }
  // Nothing is written before every output is known not to be an input or another output.
  if (line.options.scanPlot) {
    if (const std::string unsafe = exporting::unsafeOutputs(line.options); !unsafe.empty())
      return usageError(unsafe);
    return scanPlot(line.options, argc, argv);
  }
  std::string error;
  if (!exporting::readProjectList(line.options, error)) return usageError(error);
  if (const std::string unsafe = exporting::unsafeOutputs(line.options); !unsafe.empty())
    return usageError(unsafe);
  // Only pictures need Qt; without it a summary run can fork its workers safely.
  std::optional<window::OffscreenSession> qt;
  if (line.options.wantsProjectOutputs()) qt.emplace(argc, argv);
  return onProgramThread([&] { return exporting::runExport(line.options); });
}
