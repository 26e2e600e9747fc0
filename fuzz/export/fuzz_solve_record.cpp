// kelm-export's reading of a solve's record and its cathode.csv, and the views' surface mark. The input is the record's text,
// then a line "%%cathode.csv" and the file's content; the record gets a row vouching for that
// file, as a solve writes it. Under floating-point traps: the summary's columns come out one a
// name, and the table is the file itself (or the file without its first line), or a refusal on
// one line.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/file_bytes.h"
#include "fuzz/own_directory.h"
#include "fuzz/traps_on.h"
#include "source/export/cathode_export.h"
#include "source/export/solve_figure_columns.h"
#include "source/klplot/project/project_readers.h"
#include "source/project_files/file_hash.h"
#include "source/project_files/solve_record.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  kelm::fuzzing::workInOwnDirectory("kelm-fuzz-record");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kelm;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  constexpr std::string_view kSplit = "\n%%cathode.csv\n";
  const std::size_t split = input.find(kSplit);
  std::string record(input.substr(0, split));
  const std::string_view cathode = split == input.npos ? std::string_view() : input.substr(split + kSplit.size());
  fuzzing::writeBytes(projectfiles::kCathodeFile, cathode);
  if (!record.empty() && !record.ends_with('\n')) record += '\n';
  record += "result:cathode.csv," + projectfiles::sha256Hex(cathode) + "\n";
  fuzzing::writeBytes(projectfiles::kRecordFile, record);

  const fuzzing::TrapsOn traps;
  projectfiles::SolveRecord parsed;
  std::string error;
  if (projectfiles::parseRecord(record, parsed, error)) {
    if (exporting::solveFigureCells(&parsed).size() != exporting::solveFigureNames().size()) std::abort();
  } else if (error.empty() || error.find('\n') != std::string::npos) {
    std::abort();
  }
  klplot::loadProjectFiles(klplot::projectData);
  for (const bool header : {true, false}) {
    std::string table;
    error.clear();
    if (!exporting::cathodeTableOf(".", header, table, error)) {
      if (error.empty() || error.find('\n') != std::string::npos) std::abort();
    } else if (!cathode.ends_with(table) || (header && table != cathode)) {
      std::abort();
    }
  }
  return 0;
}
