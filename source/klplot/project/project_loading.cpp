#include <algorithm>
#include <cmath>

#include "records/formatted.h"
#include "source/klplot/project/project_data.h"
#include "source/klplot/project/project_readers.h"
#include "source/project_files/solve_record.h"

namespace kelm::klplot {
namespace {

using Withheld = std::array<bool, kProjectFiles.size()>;

// The files a solve left incomplete: those its record lists as results, or all of them when
// the record cannot be read. Files no solve wrote (a given mag.dat) still load.
Withheld withheldResults() {
  Withheld withheld{};
  projectfiles::SolveRecord record;
  if (projectfiles::resultsState(".", &record) != projectfiles::ResultsState::kIncomplete) return withheld;
  records::print(projectfiles::kIncompleteMessage);
  for (std::size_t f = 0; f < withheld.size(); ++f)
    withheld[f] = record.results.empty() ||
                  std::any_of(record.results.begin(), record.results.end(),
                              [&](const projectfiles::FileHash& h) { return h.name == kProjectFiles[f].file; });
  return withheld;
}

// The record's strongest surface field, when its results stand and the figures are numbers a
// float holds.
void loadSurfaceMark(ProjectData& d) {
  projectfiles::SolveRecord record;
  if (projectfiles::resultsState(".", &record) != projectfiles::ResultsState::kComplete ||
      !projectfiles::hasResults(record.status))
    return;
  float values[3];
  const char* keys[3] = {"surface_field_max_z [mm]", "surface_field_max_r [mm]", "surface_field_max [kV/mm]"};
  for (int k = 0; k < 3; ++k) {
    const std::string* text = projectfiles::recordFigure(record, keys[k]);
    double value = 0;
    if (!text || !projectfiles::parseRecordNumber(*text, value) || !(std::abs(value) <= 1e30)) return;
    values[k] = static_cast<float>(value);
  }
  d.surfaceZ = values[0];
  d.surfaceR = values[1];
  d.surfaceField_kV_per_mm = values[2];
  d.surfaceMarked = true;
}

}  // namespace

ProjectLoad loadProjectFiles(ProjectData& d) {
  ProjectLoad load;
  const Withheld withheld = withheldResults();
  const auto read = [&](ProjectFile file, FileOutcome (*reader)(ProjectData&)) {
    load[static_cast<std::size_t>(file)] = withheld[static_cast<std::size_t>(file)] ? kIncomplete : reader(d);
  };
  resetOutlineForLoad(d);
  read(ProjectFile::kGeometry, loadGeometry);
  d.magCount = d.potLineCount = 0;
  read(ProjectFile::kMagneticField, loadMagneticField);
  read(ProjectFile::kEquipotentials, loadEquipotentials);
  resetResultForLoad(d);
  read(ProjectFile::kResult, loadResult);
  loadSurfaceMark(d);
  deriveExtents(d);
  return load;
}

}  // namespace kelm::klplot
