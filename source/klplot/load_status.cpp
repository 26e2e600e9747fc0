#include "source/klplot/load_status.h"

#include "runtime/text.h"

namespace kelm::klplot {
namespace {

constexpr std::array<std::string_view, 4> kFileNames{"GEOM.DAT", "MAG.DAT", "POT.DAT", "KLPLT.RES"};

}  // namespace

LoadStatusWatch::LoadStatusWatch() : next_(records::windowPort()) { records::setWindowPort(this); }

LoadStatusWatch::~LoadStatusWatch() { records::setWindowPort(&next_); }

void LoadStatusWatch::writeRecord(int unit, std::string_view record) {
  next_.writeRecord(unit, record);
  const std::string_view line = trimRight(trimLeft(record));
  for (std::size_t f = 0; f < kFileNames.size(); ++f) {
    const std::string head = "File " + std::string(kFileNames[f]) + " ";
    if (line.starts_with(head)) outcomes_[f] = std::string(line.substr(head.size()));
  }
}

std::string LoadStatusWatch::summary() const {
  std::string failed;
  for (std::size_t f = 0; f < kFileNames.size(); ++f) {
    if (outcomes_[f] == "loaded") continue;
    if (!failed.empty()) failed += ", ";
    failed += std::string(kFileNames[f]) + " " + (outcomes_[f].empty() ? "damaged" : outcomes_[f]);
  }
  return failed.empty() ? "All project files loaded" : failed;
}

}  // namespace kelm::klplot
