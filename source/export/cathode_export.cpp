#include "source/export/cathode_export.h"

#include <algorithm>
#include <filesystem>

#include "source/project_files/input_file.h"
#include "source/project_files/solve_record.h"

namespace kelm::exporting {

bool cathodeTableOf(const std::string& directory, bool header, std::string& table, std::string& error) {
  using namespace projectfiles;
  SolveRecord record;
  const ResultsState state = resultsState(directory, &record);
  if (state == ResultsState::kIncomplete) return (error = kIncompleteMessage, false);
  const bool listed = std::any_of(record.results.begin(), record.results.end(),
                                  [](const FileHash& f) { return f.name == kCathodeFile; });
  if (state == ResultsState::kNoRecord || !listed)
    return (error = "no cathode.csv from a solve with a beam: solve the project first", false);
  std::string why;
  const InputRead read =
      readInputFile((std::filesystem::path(directory) / kCathodeFile).string(), 16u << 20, table, why);
  if (read != InputRead::kOk) return (error = inputFailure(kCathodeFile, read, why), false);
  if (!header) table.erase(0, std::min(table.find('\n'), table.size() - 1) + 1);
  return true;
}

}  // namespace kelm::exporting
