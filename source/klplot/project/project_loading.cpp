#include <algorithm>

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
  deriveExtents(d);
  return load;
}

}  // namespace kelm::klplot
