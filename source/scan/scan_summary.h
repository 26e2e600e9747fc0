#pragma once
// summary.csv: the manifest's columns, each point's status, and kelm-export's summary figures
// of its project, one row per point in the manifest's order.

#include <string>
#include <vector>

#include "source/scan/sweep.h"

namespace kelm::scan {

// From the point's records: "solved", "not-converged" or "vacuum" when its results stand and
// were solved from the inputs it holds now; else "failed: WHY", "not solved: inputs changed",
// "not solved: results incomplete" or "not solved".
std::string pointStatus(const std::string& pointDirectory);
// Whether a point of that status has figures of its own.
bool isSolved(const std::string& status);

// Joins the manifest with kelm-export's header and rows, each row matched to its point by the
// last name of its directory (which the manifest's replaces). A point without a row, or not
// solved, gets empty figures, and a solved one without a row says "solved; no figures".
std::string joinedSummary(const Sweep& manifest, const std::vector<std::string>& statuses,
                          const std::string& exportCsv);

// Runs kelm-export over the points and writes outdir/summary.csv. True when it is written with
// the figures of every solved point; false with why otherwise.
// settings: kelm-export's --z and --range as given to kelm-scan.
bool writeSummary(const std::string& outdir, const Sweep& manifest, int jobs, std::string& error,
                  const std::vector<std::string>& settings = {});

// How many points of the manifest are not solved (isSolved).
std::size_t unsolvedPoints(const std::string& outdir, const Sweep& manifest);

}  // namespace kelm::scan
