#pragma once
// Figures over a stretch of z rather than at one plane: what a designer asks of a drift or a
// focusing section ("the smallest ripple between z = 40 and 80 mm").

#include <optional>
#include <vector>

#include "source/command_line_tools/csv.h"
#include "source/klplot/figures/beam_figures_along_z.h"

namespace kelm::exporting {

struct ZRange {
  float from = 0.0f, to = 0.0f;  // mm, from < to
};

struct RangeFigures {
  std::optional<float> rMax;              // the largest r_max of any plane crossed, mm
  std::optional<double> rmsRipple;        // max - min of r_rms over the planes carrying current, mm
  std::optional<double> largestEmittance; // the largest emittance_rms_x there, mm mrad
};

// Over planes already spread across the range; figures of no plane with current stay empty.
RangeFigures rangeFiguresOf(const std::vector<PlaneFigures>& planes);

// The summary's columns for the range, empty cells where there is no range or no figure.
void addRangeNames(cli::CsvLine& header);
void addRangeValues(cli::CsvLine& line, const std::optional<ZRange>& range, const RangeFigures& f, bool inMm);

}  // namespace kelm::exporting
