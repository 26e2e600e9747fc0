#include "source/klplot/project/load_status.h"

#include "records/formatted.h"
#include "records/units.h"
#include "records/window_port.h"
#include "source/project_files/solve_record.h"

namespace kelm::klplot {

std::string_view statusWords(FileStatus status) {
  switch (status) {
    case FileStatus::kLoaded: return "loaded";
    case FileStatus::kNotFound: return "not found";
    case FileStatus::kIncomplete: return "incomplete";
    case FileStatus::kDamaged: break;
  }
  return "damaged";
}

bool openProjectFile(ProjectFile file, int unit, std::string_view form) {
  if (records::openUnit(unit, {.file = nameOf(file).file, .status = "OLD", .form = form, .action = "read"}) == 0)
    return true;
  reportOutcome(file, kNotFound);
  return false;
}

FileOutcome damagedAt(int unit, int status) {
  const records::ReadPosition at = records::readPosition(unit);
  // The end of the file before a record began leaves no record to name; one cut short does.
  if (status == records::kEndOfFile && at.bytesShort == 0)
    return {.status = FileStatus::kDamaged, .record = at.record, .endOfFile = true};
  return {.status = FileStatus::kDamaged, .record = at.record, .column = at.column, .bytesShort = at.bytesShort};
}

FileOutcome damagedInRecord(int unit, long column) {
  return {.status = FileStatus::kDamaged, .record = records::readPosition(unit).record, .column = column};
}

std::string whereDamaged(const FileOutcome& o) {
  if (o.status != FileStatus::kDamaged) return {};
  if (o.endOfFile) return o.record == 0 ? "no records" : "ends after record " + std::to_string(o.record);
  if (o.record == 0) return {};
  std::string where = "record " + std::to_string(o.record);
  if (o.bytesShort > 0) return where + ", " + std::to_string(o.bytesShort) + " bytes short";
  if (o.column > 0) return where + ", column " + std::to_string(o.column);
  return where;
}

std::string outcomeLine(ProjectFile file, const FileOutcome& outcome, bool withWhere) {
  std::string line = "File " + std::string(nameOf(file).message) + " " + std::string(statusWords(outcome.status));
  if (const std::string where = whereDamaged(outcome); withWhere && !where.empty()) line += ": " + where;
  return line;
}

void reportOutcome(ProjectFile file, const FileOutcome& outcome, bool silent) {
  if (!silent) records::print(outcomeLine(file, outcome, false));
  if (const std::string where = whereDamaged(outcome); !where.empty())
    records::windowPort().logNote(std::string(nameOf(file).file) + " damaged: " + where);
}

std::string loadSummary(const ProjectLoad& load) {
  for (const FileOutcome& o : load)
    if (o.status == FileStatus::kIncomplete) return projectfiles::kIncompleteMessage;
  std::string failed;
  for (std::size_t f = 0; f < load.size(); ++f) {
    if (load[f].status == FileStatus::kLoaded) continue;
    if (!failed.empty()) failed += ", ";
    failed += std::string(kProjectFiles[f].message) + " " + std::string(statusWords(load[f].status));
  }
  return failed.empty() ? "All project files loaded" : failed;
}

}  // namespace kelm::klplot
