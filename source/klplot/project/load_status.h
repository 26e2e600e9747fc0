#pragma once
// The project files, what one load made of each, and how that is told: one line each in
// "Output" as the program has always written it, and where a damaged file went wrong for the
// program's log and for kelm-export.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace kelm::klplot {

// In the order the driver reads them, which is the order of their lines.
enum class ProjectFile { kGeometry, kMagneticField, kEquipotentials, kResult };

struct ProjectFileName {
  std::string_view file;     // as it lies in the project directory
  std::string_view message;  // as the messages name it
};
inline constexpr std::array<ProjectFileName, 4> kProjectFiles{{{"geom.dat", "GEOM.DAT"},
                                                              {"mag.dat", "MAG.DAT"},
                                                              {"pot.dat", "POT.DAT"},
                                                              {"klplt.res", "KLPLT.RES"}}};
constexpr const ProjectFileName& nameOf(ProjectFile file) { return kProjectFiles[static_cast<std::size_t>(file)]; }

// kIncomplete: a result a solve left incomplete (its record does not match), so not read.
enum class FileStatus { kLoaded, kNotFound, kDamaged, kIncomplete };
std::string_view statusWords(FileStatus status);  // "loaded", "not found", "damaged", "incomplete"

struct FileOutcome {
  FileStatus status = FileStatus::kNotFound;
  // Where a damaged file first went wrong, 0 where not known: the 1-based record; the 1-based
  // column of the field in a text file, or how many bytes a klplt.res record lacked. With
  // endOfFile the file ended after `record` records, before its data did.
  long record = 0;
  long column = 0;
  long bytesShort = 0;
  bool endOfFile = false;
};

inline constexpr FileOutcome kLoaded{.status = FileStatus::kLoaded};
inline constexpr FileOutcome kNotFound{.status = FileStatus::kNotFound};
inline constexpr FileOutcome kIncomplete{.status = FileStatus::kIncomplete};

// Opens the project file on unit for reading; false, with its "not found" told, when it cannot.
bool openProjectFile(ProjectFile file, int unit, std::string_view form);

// A damaged outcome from the statement on unit that returned status (non-zero), placed by how
// far the unit had read.
FileOutcome damagedAt(int unit, int status);
// A damaged outcome for what a record held that the store cannot take: the unit's last record,
// and the column of the field when the caller knows it.
FileOutcome damagedInRecord(int unit, long column = 0);

using ProjectLoad = std::array<FileOutcome, kProjectFiles.size()>;  // indexed by ProjectFile

// "record 7, 12 bytes short", "record 2, column 29", "ends after record 9"; empty when not known.
std::string whereDamaged(const FileOutcome& outcome);
// "File GEOM.DAT loaded"; with where, a damaged file's line goes on with ": " and the place.
std::string outcomeLine(ProjectFile file, const FileOutcome& outcome, bool withWhere);

// The file's "Output" line (some failures are silent there), and the place of a damage as a
// note for the program's log.
void reportOutcome(ProjectFile file, const FileOutcome& outcome, bool silent = false);

// "All project files loaded", or each file that was not, as "POT.DAT damaged"; "Results
// incomplete: solve again" when a solve's results were withheld.
std::string loadSummary(const ProjectLoad& load);

}  // namespace kelm::klplot
