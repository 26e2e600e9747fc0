#pragma once
// solve-record.csv: what a solve read, what it wrote and how it went, written last, after its
// results, so that a reader trusts the result files only when their hashes are the record's.
// Two columns, key and value, one row a key, in this order:
//   format                     1
//   status                     solved, not-converged, vacuum, failed; writing while the results
//                              are being renamed into place
//   failure                    why a failed solve failed, else empty
//   iterations, converged      iterations done; 1 when the last change was within the tolerance
//   final_change               the relative change of the last iteration
//   current [A], perveance [uP], voltage [V]
//   seconds [s], field_seconds [s], tracing_seconds [s], deposition_seconds [s]
//   then the solve's figures of the electrodes' surface field and of where the current went
//   (surface_field_max [kV/mm], intercepted_current [A]:NAME, ...), each a key and a value
//   input:NAME                 SHA-256 of each input read (geom.cod, klinput.dat, the magfield
//                              file), "absent" for a klinput.dat that is not there
//   result:NAME                SHA-256 of each result file written
// Readers ignore keys they do not know, so later formats may add rows.

#include <string>
#include <string_view>
#include <vector>

namespace kelm::projectfiles {

inline constexpr const char* kRecordFile = "solve-record.csv";
inline constexpr const char* kIterationFile = "solve.csv";
inline constexpr const char* kCathodeFile = "cathode.csv";  // the emission across the cathode
inline constexpr const char* kLockFile = ".kelm-solve.lock";
inline constexpr int kRecordFormat = 1;
inline constexpr const char* kAbsent = "absent";

enum class SolveStatus { kWriting, kSolved, kNotConverged, kVacuum, kFailed };
std::string_view statusName(SolveStatus status);
// A status whose results stand: the solve wrote them all.
bool hasResults(SolveStatus status);

struct FileHash {
  std::string name;    // as it lies in the project directory, or as klinput.dat names it
  std::string sha256;  // or kAbsent
  bool operator==(const FileHash&) const = default;
};

struct SolveRecord {
  SolveStatus status = SolveStatus::kFailed;
  std::string failure;
  int iterations = 0;
  bool converged = false;
  double finalChange = 0;
  double current_A = 0, perveance_uP = 0, voltage_V = 0;
  double seconds = 0, field_s = 0, tracing_s = 0, deposition_s = 0;
  // Every other row, in the order written: a key (which may end in :NAME) and its value.
  std::vector<std::pair<std::string, std::string>> figures;
  std::vector<FileHash> inputs, results;
};

std::string recordText(const SolveRecord& record);
// A number as the record writes it: fifteen digits, so that sums come out as computed.
std::string recordNumber(double value);
// A number as the solve's files write it, read back; false for text that is not one finite number.
bool parseRecordNumber(const std::string& text, double& value);
// The value of one of the record's figures, or nullptr.
const std::string* recordFigure(const SolveRecord& record, std::string_view key);
// False, with the line and what is wrong, for a text that is not a record of this format.
bool parseRecord(std::string_view text, SolveRecord& record, std::string& error);

enum class RecordState { kNone, kDamaged, kRead };
RecordState readRecord(const std::string& directory, SolveRecord& record);

// Each file's hash as it is in directory now, kAbsent for a missing one.
bool filesMatch(const std::string& directory, const std::vector<FileHash>& files);

// What the results in directory amount to: no record (a project written by hand), a record
// whose result files are all there as it lists them, or results a solve left incomplete (a
// record that is damaged, still being written, or that the files no longer match).
enum class ResultsState { kNoRecord, kComplete, kIncomplete };
ResultsState resultsState(const std::string& directory, SolveRecord* record = nullptr);

inline constexpr const char* kIncompleteMessage = "Results incomplete: solve again";

}  // namespace kelm::projectfiles
