// kelm-export's whole run on one project: the first bytes choose the outputs, the sizes, the
// plane, the divisions, the steps and the voltage, the rest is the project as sections (see
// project_sections.h). This reaches the load report, the tables, the envelope, the pictures
// and the whole-file writer, with the program thread's floating-point traps on. A trap, a
// sanitizer report, an output written while the run says it failed, or a file left in the
// project directory is a finding.
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "fuzz/traps_on.h"
#include "fuzz/klplot/project_sections.h"
#include "source/export/export_options.h"
#include "source/export/output_safety.h"
#include "source/export/project_export.h"
#include "window/offscreen.h"

namespace {

namespace fs = std::filesystem;
using namespace kelm::exporting;

constexpr std::size_t kSettings = 12;

struct Settings {
  std::uint8_t b[kSettings] = {};
  bool has(int byte, int bit) const { return (b[byte] >> bit) & 1; }
};

ExportOptions optionsOf(const Settings& s) {
  ExportOptions o;
  o.projects = {"."};
  if (s.has(0, 0)) o.figuresCsv = "../out/figures.csv";
  if (s.has(0, 1)) o.crossingsCsv = "../out/crossings.csv";
  if (s.has(0, 2)) o.summaryCsv = "../out/summary.csv";
  if (s.has(0, 3)) o.envelopeFile = s.has(0, 7) ? "../out/envelope.svg" : "../out/envelope.png";
  if (s.has(0, 4)) o.pngDir = "../out/png";
  if (s.has(0, 5)) o.svgDir = "../out/svg";
  if (s.has(0, 6)) o.pdfFile = "../out/pages.pdf";
  if (!o.wantsProjectOutputs() && !o.summaryCsv) o.summaryCsv = "../out/summary.csv";
  o.steps = 2 + s.b[1];
  o.divisions = 2 + s.b[2] % 99;
  o.width = 320 + 2 * s.b[3];
  o.height = 240 + 2 * s.b[4];
  if (s.has(9, 0)) {
    float z;
    std::memcpy(&z, &s.b[5], sizeof z);
    if (std::isfinite(z)) o.z = z;
  }
  if (s.has(9, 1)) o.voltage = 1.0 + 1000.0 * s.b[10];
  o.header = !s.has(9, 2);
  // Several projects go only with the summary alone.
  if (s.has(9, 3) && !o.wantsProjectOutputs()) o.projects.push_back("./");
  o.jobs = 1;  // no worker processes inside the fuzzer
  return o;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  static kelm::window::OffscreenSession qt(*argc, *argv);
  const fs::path dir = fs::temp_directory_path() / ("kelm-fuzz-export-" + std::to_string(::getpid()));
  fs::create_directories(dir / "project");
  fs::current_path(dir / "project");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Settings settings;
  std::memcpy(settings.b, data, std::min(size, kSettings));
  const std::size_t skip = std::min(size, kSettings);
  kelm::fuzzing::writeSections(std::string_view(reinterpret_cast<const char*>(data) + skip, size - skip));
  std::error_code code;
  fs::remove_all("../out", code);
  fs::create_directory("../out", code);
  const ExportOptions options = optionsOf(settings);
  if (!unsafeOutputs(options).empty()) std::abort();
  const kelm::fuzzing::TrapsOn traps;
  const int status = runExport(options);
  if (status != 0 && status != 1) std::abort();
  // Only the project files and nothing else: no temporary, no output strayed into the project.
  for (const auto& entry : fs::directory_iterator(".")) {
    const std::string name = entry.path().filename().string();
    bool project = false;
    for (std::string_view file : kelm::fuzzing::kFiles) project = project || name == file;
    if (!project) std::abort();
  }
  for (const auto& entry : fs::recursive_directory_iterator("../out")) {
    if (entry.path().filename().string().find(".kelm-") != std::string::npos) std::abort();
  }
  return 0;
}
