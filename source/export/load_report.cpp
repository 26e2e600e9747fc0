#include "source/export/load_report.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "runtime/text.h"

namespace kelm::exporting {
namespace {

constexpr std::array<std::string_view, 4> kMessageNames{"GEOM.DAT", "MAG.DAT", "POT.DAT", "KLPLT.RES"};

void printLine(std::string_view line) {
  std::fprintf(stderr, "%.*s\n", static_cast<int>(line.size()), line.data());
}

}  // namespace

LoadReport::LoadReport() { records::setWindowPort(this); }

LoadReport::~LoadReport() { records::setWindowPort(nullptr); }

void LoadReport::writeRecord(int, std::string_view record) {
  const std::string_view line = trimRight(trimLeft(record));
  printLine(line);
  for (std::size_t f = 0; f < kMessageNames.size(); ++f) {
    const std::string head = "File " + std::string(kMessageNames[f]) + " ";
    if (line.substr(0, head.size()) != head) continue;
    const std::string_view outcome = line.substr(head.size());
    // A file before this one that said nothing failed silently; its line goes in its place.
    for (std::size_t g = 0; g < f; ++g) reportSilentFailure(g);
    reported_[f] = true;
    status_[f] = outcome == "loaded"      ? FileStatus::kLoaded
                 : outcome == "not found" ? FileStatus::kNotFound
                                          : FileStatus::kDamaged;
  }
}

void LoadReport::runtimeError(int, std::string_view message) {
  std::fprintf(stderr, "kelm-export: %.*s\n", static_cast<int>(message.size()), message.data());
  std::exit(1);
}

void LoadReport::reportSilentFailure(std::size_t f) {
  if (reported_[f]) return;
  reported_[f] = true;
  status_[f] = FileStatus::kDamaged;
  printLine("File " + std::string(kMessageNames[f]) + " damaged");
}

std::array<FileStatus, 4> LoadReport::finish() {
  for (std::size_t f = 0; f < kMessageNames.size(); ++f) reportSilentFailure(f);
  return status_;
}

}  // namespace kelm::exporting
