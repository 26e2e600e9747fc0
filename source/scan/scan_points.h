#pragma once
// A scan's output directory: one project per point made from the template, the manifest that
// maps them to their values, and each point's record of the inputs it was solved from.

#include <string>
#include <utility>
#include <vector>

#include "source/scan/sweep.h"

namespace kelm::scan {

struct ProjectTemplate {
  std::string directory;
  std::string geomCod, klinputDat;
  bool hasKlinput = false;
  std::vector<std::pair<std::string, std::string>> otherFiles;  // copied as they are
};

// Reads geom.cod, klinput.dat and the template's other plain files, leaving out results.
bool readTemplate(const std::string& directory, ProjectTemplate& t, std::string& error);

// Every parameter used must be given and every one given must be used.
bool checkParameters(const ProjectTemplate& t, const Sweep& sweep, std::string& error);

// p0001, p0002, ...: four digits, more when there are more points.
std::string pointName(std::size_t index, std::size_t count);

// The points' directories and values, and in the last column (kSweepHashColumn) the hash of
// the sweep that made each point; madeBy empty: this sweep made every point.
inline constexpr const char* kSweepHashColumn = "sweep-hash";
std::string sweepHash(const Sweep& sweep);
std::string manifestCsv(const Sweep& sweep, const std::vector<std::string>& madeBy = {});
// Reads a manifest with or without the hash column; madeBy gets the hashes (empty without).
bool readManifest(const std::string& outdir, Sweep& sweep, std::string& error,
                  std::vector<std::string>* madeBy = nullptr);

// Substitutes every point in memory first, then writes the directories and manifest.csv; a
// file whose bytes are already there is left alone, so its point need not be solved again, and
// a point with the values it had keeps the hash of the sweep that made it.
// An OUTDIR that holds other things but no manifest.csv is refused. Points before first are
// taken as made already.
bool makePoints(const ProjectTemplate& t, const Sweep& sweep, const std::string& outdir, std::string& error,
                std::size_t first = 0);

// How the last run of kelm-solve on a point ended, for a failure that left no record of the
// solve (the solve's own record, solve-record.csv, says what it read and wrote).
struct PointState {
  bool finished = false, solved = false;
  std::string failure;
};
inline constexpr const char* kStateFile = ".kelm-scan-state";

PointState readState(const std::string& pointDirectory);
bool writeState(const std::string& pointDirectory, const PointState& state, std::string& error);
// False when the point's record says it was solved from every input it holds now, and its
// results are those the record lists.
bool needsSolving(const std::string& pointDirectory);

bool readFile(const std::string& path, std::string& bytes);

}  // namespace kelm::scan
