#include "source/export/range_figures.h"

#include <algorithm>

namespace kelm::exporting {

RangeFigures rangeFiguresOf(const std::vector<PlaneFigures>& planes) {
  RangeFigures out;
  double rmsLow = 0.0, rmsHigh = 0.0;
  for (const PlaneFigures& f : planes) {
    if (f.crossings > 0) out.rMax = std::max(out.rMax.value_or(f.rMax), f.rMax);
    if (!f.shaped) continue;
    const bool first = !out.rmsRipple;
    rmsLow = first ? f.rmsRadius : std::min(rmsLow, f.rmsRadius);
    rmsHigh = first ? f.rmsRadius : std::max(rmsHigh, f.rmsRadius);
    out.rmsRipple = rmsHigh - rmsLow;
    out.largestEmittance = std::max(out.largestEmittance.value_or(f.emittance.rms), f.emittance.rms);
  }
  return out;
}

void addRangeNames(cli::CsvLine& header) {
  header.add("range_from [mm]")
      .add("range_to [mm]")
      .add("range_r_max [mm]")
      .add("range_r_rms_ripple [mm]")
      .add("range_emittance_rms_x_max [mm mrad]");
}

void addRangeValues(cli::CsvLine& line, const std::optional<ZRange>& range, const RangeFigures& f, bool inMm) {
  const bool given = range && inMm;
  line.addIf(given, range ? range->from : 0.0f).addIf(given, range ? range->to : 0.0f);
  line.addIf(given && f.rMax, f.rMax.value_or(0.0f))
      .addIf(given && f.rmsRipple, f.rmsRipple.value_or(0.0))
      .addIf(given && f.largestEmittance, f.largestEmittance.value_or(0.0));
}

}  // namespace kelm::exporting
