#include "source/program/display/run_figures.h"

#include <cstdio>

#include "source/klplot/figures/beam_figures_along_z.h"
#include "source/project_files/solve_record.h"

namespace kelm::klplot {

std::string runFigures(const ProjectData& data, const std::string& directory) {
  if (data.trajCount <= 0) return {};
  char text[200];
  std::snprintf(text, sizeof text, "%.3g A", data.totalCurrent);
  std::string figures = text;
  // Only a record that matches the files speaks for them.
  projectfiles::SolveRecord record;
  if (projectfiles::resultsState(directory, &record) == projectfiles::ResultsState::kComplete && record.voltage_V > 0) {
    std::snprintf(text, sizeof text, ", %.3g \xb5P", record.perveance_uP);  // \xb5: the micro sign
    figures += text;
  }
  // Lengths are millimetres only once geom.dat has given the scale.
  constexpr int kPlanes = 200;
  const auto waist = data.geomLoaded != 0 ? exporting::waistOf(exporting::figuresAlong(
                                                data, exporting::planesAlong(data.zAxisMin, data.zAxisMax, kPlanes)))
                                          : std::nullopt;
  if (waist) {
    std::snprintf(text, sizeof text, ", waist at z %.1f mm, r_rms %.3g mm", double(waist->z), waist->rmsRadius);
    figures += text;
  }
  return figures;
}

}  // namespace kelm::klplot
