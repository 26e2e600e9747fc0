#pragma once
// summary.csv: the manifest's columns, each point's status, and kelm-export's summary figures
// of its project, one row per point in the manifest's order.

#include <string>
#include <vector>

#include "source/scan/sweep.h"

namespace kelm::scan {

// "solved", "failed: WHY" or "not solved" from the point's record.
std::string pointStatus(const std::string& pointDirectory);

struct PointSummary {
  std::string status;     // see pointStatus
  std::string perveance;  // kelm-solve's, for a perveance that kelm-export had no voltage for
};

// Joins the manifest with kelm-export's header and rows, each row matched to its point by the
// last name of its directory (which the manifest's replaces). A point without a row gets empty
// figures, and a solved one says "solved; no figures" in its status.
std::string joinedSummary(const Sweep& manifest, const std::vector<PointSummary>& points,
                          const std::string& exportCsv);

// Runs kelm-export over the points and writes outdir/summary.csv. True when it is written with
// the figures of every solved point; false with why otherwise.
bool writeSummary(const std::string& outdir, const Sweep& manifest, int jobs, std::string& error);

// How many points of the manifest are not solved.
std::size_t unsolvedPoints(const std::string& outdir, const Sweep& manifest);

}  // namespace kelm::scan
