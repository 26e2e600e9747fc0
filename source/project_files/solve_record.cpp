#include "source/project_files/solve_record.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "runtime/fp_traps.h"
#include "source/project_files/file_hash.h"
#include "source/project_files/input_file.h"

namespace kelm::projectfiles {
namespace {

constexpr std::size_t kMaxRecordBytes = 1u << 20;
constexpr std::string_view kInput = "input:", kResult = "result:";
constexpr SolveStatus kStatuses[] = {SolveStatus::kWriting, SolveStatus::kSolved, SolveStatus::kNotConverged,
                                     SolveStatus::kVacuum, SolveStatus::kFailed};

// A cell holds no line break; its commas stay, since the value is the rest of the line.
std::string oneLine(std::string text) {
  for (char& c : text)
    if (c == '\n' || c == '\r') c = ' ';
  return text;
}

}  // namespace

bool parseRecordNumber(const std::string& text, double& value) {
  char* end = nullptr;
  {
    // strtod raises overflow for a number beyond a double's range, which the program thread traps.
    const FloatingPointTrapsSuspended untrapped;
    value = std::strtod(text.c_str(), &end);
  }
  return !text.empty() && end == text.c_str() + text.size() && std::isfinite(value);
}

std::string recordNumber(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.15g", value);
  return text;
}

std::string_view statusName(SolveStatus status) {
  switch (status) {
    case SolveStatus::kWriting: return "writing";
    case SolveStatus::kSolved: return "solved";
    case SolveStatus::kNotConverged: return "not-converged";
    case SolveStatus::kVacuum: return "vacuum";
    case SolveStatus::kFailed: break;
  }
  return "failed";
}

bool hasResults(SolveStatus status) {
  return status == SolveStatus::kSolved || status == SolveStatus::kNotConverged || status == SolveStatus::kVacuum;
}

std::string recordText(const SolveRecord& r) {
  std::string text = "key,value\nformat," + std::to_string(kRecordFormat) + "\n";
  text += "status," + std::string(statusName(r.status)) + "\n";
  text += "failure," + oneLine(r.failure) + "\n";
  text += "iterations," + std::to_string(r.iterations) + "\n";
  text += std::string("converged,") + (r.converged ? "1" : "0") + "\n";
  const std::pair<const char*, double> figures[] = {
      {"final_change", r.finalChange},      {"current [A]", r.current_A},         {"perveance [uP]", r.perveance_uP},
      {"voltage [V]", r.voltage_V},         {"seconds [s]", r.seconds},          {"field_seconds [s]", r.field_s},
      {"tracing_seconds [s]", r.tracing_s}, {"deposition_seconds [s]", r.deposition_s}};
  for (const auto& [key, value] : figures) text += std::string(key) + "," + recordNumber(value) + "\n";
  for (const auto& [key, value] : r.figures) text += oneLine(key) + "," + oneLine(value) + "\n";
  for (const FileHash& f : r.inputs) text += std::string(kInput) + oneLine(f.name) + "," + f.sha256 + "\n";
  for (const FileHash& f : r.results) text += std::string(kResult) + oneLine(f.name) + "," + f.sha256 + "\n";
  return text;
}

bool parseRecord(std::string_view text, SolveRecord& record, std::string& error) {
  SolveRecord r;
  bool hasFormat = false, hasStatus = false;
  int line = 0;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = text.find('\n', at);
    if (end == text.npos) end = text.size();
    const std::string row(text.substr(at, end - at));
    at = end + 1;
    if (++line == 1) {
      if (row != "key,value") return (error = "line 1 is not the header key,value", false);
      continue;
    }
    // A file's or an electrode's name may hold commas, its hash or figure none: those rows
    // split at the last comma.
    std::size_t comma = row.find(',');
    if (comma == row.npos) return (error = "line " + std::to_string(line) + " has no value", false);
    std::string key = row.substr(0, comma);
    if (key.find(':') != key.npos) {
      comma = row.rfind(',');
      key = row.substr(0, comma);
    }
    const std::string value = row.substr(comma + 1);
    double x = 0;
    bool ok = true;
    if (key == "format") {
      ok = hasFormat = value == std::to_string(kRecordFormat);
    } else if (key == "status") {
      const auto* known = std::find_if(std::begin(kStatuses), std::end(kStatuses),
                                       [&](SolveStatus s) { return value == statusName(s); });
      ok = hasStatus = known != std::end(kStatuses);
      if (ok) r.status = *known;
    } else if (key == "failure") {
      r.failure = value;
    } else if (key == "iterations") {
      ok = parseRecordNumber(value, x) && x >= 0 && x <= 1e9;
      r.iterations = ok ? static_cast<int>(x) : 0;
    } else if (key == "converged") {
      ok = value == "0" || value == "1";
      r.converged = value == "1";
    } else if (key.starts_with(kInput) || key.starts_with(kResult)) {
      const bool input = key.starts_with(kInput);
      ok = !value.empty();
      (input ? r.inputs : r.results).push_back({key.substr((input ? kInput : kResult).size()), value});
    } else {
      double* const targets[] = {&r.finalChange, &r.current_A, &r.perveance_uP, &r.voltage_V,
                                 &r.seconds,     &r.field_s,   &r.tracing_s,    &r.deposition_s};
      const char* const keys[] = {"final_change",      "current [A]",     "perveance [uP]",      "voltage [V]",
                                  "seconds [s]",       "field_seconds [s]", "tracing_seconds [s]",
                                  "deposition_seconds [s]"};
      const auto* known = std::find(std::begin(keys), std::end(keys), key);
      if (known != std::end(keys)) ok = parseRecordNumber(value, *targets[known - std::begin(keys)]);
      else r.figures.emplace_back(key, value);
    }
    if (!ok) return (error = "line " + std::to_string(line) + ": " + key + " " + value + " is not valid", false);
  }
  if (!hasFormat || !hasStatus) return (error = hasFormat ? "no status" : "no format " + std::to_string(kRecordFormat), false);
  record = std::move(r);
  return true;
}

const std::string* recordFigure(const SolveRecord& record, std::string_view key) {
  for (const auto& [k, value] : record.figures)
    if (k == key) return &value;
  return nullptr;
}

RecordState readRecord(const std::string& directory, SolveRecord& record) {
  std::string text, why, error;
  const InputRead read = readInputFile(directory + "/" + kRecordFile, kMaxRecordBytes, text, why);
  if (read == InputRead::kMissing) return RecordState::kNone;
  if (read != InputRead::kOk || !parseRecord(text, record, error)) return RecordState::kDamaged;
  return RecordState::kRead;
}

bool filesMatch(const std::string& directory, const std::vector<FileHash>& files) {
  for (const FileHash& f : files) {
    std::string hex;
    if (!fileSha256(directory + "/" + f.name, hex)) hex = kAbsent;
    if (hex != f.sha256) return false;
  }
  return true;
}

ResultsState resultsState(const std::string& directory, SolveRecord* record) {
  SolveRecord r;
  switch (readRecord(directory, r)) {
    case RecordState::kNone: return ResultsState::kNoRecord;
    case RecordState::kDamaged: return ResultsState::kIncomplete;
    case RecordState::kRead: break;
  }
  const bool complete = r.status != SolveStatus::kWriting && filesMatch(directory, r.results);
  if (record) *record = std::move(r);
  return complete ? ResultsState::kComplete : ResultsState::kIncomplete;
}

}  // namespace kelm::projectfiles
