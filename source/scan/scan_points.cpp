#include "source/scan/scan_points.h"

#include <cstdio>
#include <filesystem>
#include <map>
#include <set>

#include "runtime/whole_file.h"
#include "source/command_line_tools/csv.h"
#include "source/project_files/file_hash.h"
#include "source/project_files/input_file.h"
#include "source/project_files/solve_record.h"
#include "source/scan/substitution.h"

namespace kelm::scan {
namespace fs = std::filesystem;
namespace {

constexpr std::uintmax_t kMaxTemplateFile = 64u << 20;

// Results of a solve in the template would pass for a point's own.
bool isResult(const std::string& name) {
  static const std::set<std::string> results{"geom.dat",        "pot.dat", "potmap.dat",
                                             "klplt.res",       kStateFile, projectfiles::kRecordFile,
                                             projectfiles::kIterationFile, projectfiles::kLockFile};
  return results.count(name) > 0;
}

bool writeIfChanged(const std::string& path, const std::string& bytes, std::string& error) {
  std::string now;
  if (readFile(path, now) && now == bytes) return true;
  return runtime::writeWholeFile(path, bytes, error);
}

}  // namespace

bool readFile(const std::string& path, std::string& bytes) {
  std::string why;
  return projectfiles::readInputFile(path, kMaxTemplateFile, bytes, why) == projectfiles::InputRead::kOk;
}

bool readTemplate(const std::string& directory, ProjectTemplate& t, std::string& error) {
  t = {};
  t.directory = directory;
  std::error_code ec;
  if (!fs::is_directory(directory, ec)) return (error = directory + ": not a project directory", false);
  if (!readFile(directory + "/geom.cod", t.geomCod)) return (error = directory + "/geom.cod: cannot be read", false);
  t.hasKlinput = fs::exists(directory + "/klinput.dat", ec);
  if (t.hasKlinput && !readFile(directory + "/klinput.dat", t.klinputDat))
    return (error = directory + "/klinput.dat: cannot be read", false);
  for (const auto& entry : fs::directory_iterator(directory, ec)) {
    const std::string name = entry.path().filename().string();
    if (name == "geom.cod" || name == "klinput.dat" || isResult(name) || !entry.is_regular_file(ec)) continue;
    if (entry.file_size(ec) > kMaxTemplateFile) return (error = entry.path().string() + ": too large to copy", false);
    std::string bytes;
    if (!readFile(entry.path().string(), bytes)) return (error = entry.path().string() + ": cannot be read", false);
    t.otherFiles.emplace_back(name, std::move(bytes));
  }
  if (ec) return (error = directory + ": " + ec.message(), false);
  return true;
}

bool checkParameters(const ProjectTemplate& t, const Sweep& sweep, std::string& error) {
  std::map<std::string, std::string> used;  // name and where it is first used
  if (!parametersUsed(t.geomCod, t.directory + "/geom.cod", used, error) ||
      !parametersUsed(t.klinputDat, t.directory + "/klinput.dat", used, error))
    return false;
  const std::set<std::string> given(sweep.names.begin(), sweep.names.end());
  for (const auto& [name, where] : used)
    if (!given.count(name)) return (error = where + ": parameter " + name + " is not in the sweep", false);
  for (const auto& name : sweep.names)
    if (!used.count(name))
      return (error = "parameter " + name + " of the sweep is used in neither geom.cod nor klinput.dat of " +
                      t.directory,
              false);
  return true;
}

std::string pointName(std::size_t index, std::size_t count) {
  const int width = std::max<int>(4, int(std::to_string(count).size()));
  char name[32];
  std::snprintf(name, sizeof name, "p%0*zu", width, index + 1);
  return name;
}

std::string sweepHash(const Sweep& sweep) {
  constexpr std::size_t kDigits = 16;
  return projectfiles::sha256Hex(manifestCsv(sweep, std::vector<std::string>(sweep.points.size()))).substr(0, kDigits);
}

std::string manifestCsv(const Sweep& sweep, const std::vector<std::string>& madeBy) {
  const std::string self = madeBy.empty() ? sweepHash(sweep) : "";
  cli::CsvLine header;
  header.add("directory");
  for (const auto& name : sweep.names) header.add(name);
  header.add(kSweepHashColumn);
  std::string csv = header.text();
  for (std::size_t i = 0; i < sweep.points.size(); ++i) {
    cli::CsvLine line;
    line.add(pointName(i, sweep.points.size()));
    for (const auto& value : sweep.points[i]) line.add(value);
    line.add(madeBy.empty() ? std::string_view(self) : std::string_view(madeBy[i]));
    csv += line.text();
  }
  return csv;
}

bool readManifest(const std::string& outdir, Sweep& sweep, std::string& error, std::vector<std::string>* madeBy) {
  const std::string path = outdir + "/manifest.csv";
  std::string text;
  if (!readFile(path, text)) return (error = path + ": cannot be read; is " + outdir + " a scan?", false);
  // Values hold no comma, so the hash is all after a line's last one.
  const std::string hashed = std::string(",") + kSweepHashColumn;
  std::vector<std::string> hashes;
  if (const std::size_t end = text.find('\n'); text.substr(0, end).ends_with(hashed) ||
                                                text.substr(0, end).ends_with(hashed + "\r")) {
    std::string values;
    for (std::size_t at = 0; at < text.size();) {
      std::size_t stop = text.find('\n', at);
      if (stop == text.npos) stop = text.size();
      std::string line = text.substr(at, stop - at);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      const std::size_t comma = line.rfind(',');
      if (comma != line.npos) {
        if (at > 0) hashes.push_back(line.substr(comma + 1));
        line.erase(comma);
      }
      values += line + "\n";
      at = stop + 1;
    }
    text = std::move(values);
  }
  Sweep withDirectories;
  if (!readSweepCsv(text, path, withDirectories, error)) return false;
  if (withDirectories.names.front() != "directory" || withDirectories.names.size() < 2)
    return (error = path + ": the first column is not directory", false);
  sweep.names.assign(withDirectories.names.begin() + 1, withDirectories.names.end());
  sweep.points.clear();
  for (std::size_t i = 0; i < withDirectories.points.size(); ++i) {
    auto& row = withDirectories.points[i];
    if (row.front() != pointName(i, withDirectories.points.size()))
      return (error = path + ":" + std::to_string(i + 2) + ": directory " + row.front() + " out of order", false);
    sweep.points.emplace_back(row.begin() + 1, row.end());
  }
  if (madeBy) *madeBy = hashes.size() == sweep.points.size() ? std::move(hashes) : std::vector<std::string>();
  return true;
}

bool makePoints(const ProjectTemplate& t, const Sweep& sweep, const std::string& outdir, std::string& error,
                std::size_t first) {
  std::error_code ec;
  if (fs::exists(outdir, ec) && !fs::exists(outdir + "/manifest.csv", ec) && !fs::is_empty(outdir, ec))
    return (error = outdir + " holds files but no manifest.csv: not a scan, left alone", false);
  std::vector<std::pair<std::string, std::string>> files;  // geom.cod and klinput.dat per point
  for (std::size_t p = first; p < sweep.points.size(); ++p) {
    const auto& point = sweep.points[p];
    std::map<std::string, std::string> values;
    for (std::size_t i = 0; i < sweep.names.size(); ++i) values[sweep.names[i]] = point[i];
    std::string geom, input;
    if (!substituted(t.geomCod, t.directory + "/geom.cod", values, geom, error) ||
        !substituted(t.klinputDat, t.directory + "/klinput.dat", values, input, error))
      return false;
    files.emplace_back(std::move(geom), std::move(input));
  }
  if (!runtime::makeDirectory(outdir, error)) return false;
  Sweep earlier;
  std::vector<std::string> earlierMadeBy, madeBy;
  std::string ignored;
  const bool known = readManifest(outdir, earlier, ignored, &earlierMadeBy) && !earlierMadeBy.empty();
  const std::string self = sweepHash(sweep);
  for (std::size_t i = 0; i < sweep.points.size(); ++i) {
    const bool same = known && earlier.names == sweep.names && earlier.points.size() > i &&
                      pointName(i, earlier.points.size()) == pointName(i, sweep.points.size()) &&
                      earlier.points[i] == sweep.points[i];
    madeBy.push_back(same ? earlierMadeBy[i] : self);
  }
  for (std::size_t i = 0; i < files.size(); ++i) {
    const std::string dir = outdir + "/" + pointName(first + i, sweep.points.size());
    if (!runtime::makeDirectory(dir, error) || !writeIfChanged(dir + "/geom.cod", files[i].first, error)) return false;
    if (t.hasKlinput && !writeIfChanged(dir + "/klinput.dat", files[i].second, error)) return false;
    for (const auto& [name, bytes] : t.otherFiles)
      if (!writeIfChanged(dir + "/" + name, bytes, error)) return false;
  }
  return writeIfChanged(outdir + "/manifest.csv", manifestCsv(sweep, madeBy), error);
}

PointState readState(const std::string& pointDirectory) {
  PointState state;
  std::string text;
  if (!readFile(pointDirectory + "/" + kStateFile, text)) return state;
  const std::string outcome = text.substr(0, text.find('\n'));
  state.finished = outcome == "solved" || outcome.starts_with("failed: ");
  state.solved = outcome == "solved";
  if (!state.solved && state.finished) state.failure = outcome.substr(8);
  return state;
}

bool writeState(const std::string& pointDirectory, const PointState& state, std::string& error) {
  const std::string text = state.solved ? "solved\n" : "failed: " + state.failure + "\n";
  return runtime::writeWholeFile(pointDirectory + "/" + kStateFile, text, error);
}

bool needsSolving(const std::string& pointDirectory) {
  projectfiles::SolveRecord record;
  return projectfiles::resultsState(pointDirectory, &record) != projectfiles::ResultsState::kComplete ||
         !projectfiles::hasResults(record.status) || !projectfiles::filesMatch(pointDirectory, record.inputs);
}

}  // namespace kelm::scan
