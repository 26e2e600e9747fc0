#include "source/export/load_report.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace kelm::exporting {

LoadReport::LoadReport() { records::setWindowPort(this); }

LoadReport::~LoadReport() { records::setWindowPort(nullptr); }

void LoadReport::runtimeError(int, std::string_view message) {
  std::fprintf(stderr, "kelm-export: %.*s\n", static_cast<int>(message.size()), message.data());
  std::exit(1);
}

std::array<klplot::FileStatus, klplot::kProjectFiles.size()> LoadReport::finish(const klplot::ProjectLoad& load) {
  std::array<klplot::FileStatus, klplot::kProjectFiles.size()> status{};
  for (std::size_t f = 0; f < load.size(); ++f) {
    const std::string line = klplot::outcomeLine(static_cast<klplot::ProjectFile>(f), load[f], true);
    std::fprintf(stderr, "%s\n", line.c_str());
    status[f] = load[f].status;
  }
  return status;
}

}  // namespace kelm::exporting
