#include "source/export/figure_source.h"

#include <algorithm>
#include <limits>

#include "source/klplot/project/project_readers.h"
#include "source/klplot/project/single_precision.h"
#include "source/openpmd/path_crossings.h"
#include "source/project_files/file_hash.h"
#include "source/project_files/input_file.h"
#include "source/solver/geometry/solver_input.h"

namespace kelm::exporting {
namespace {

constexpr const char* kSolverInput = "klinput.dat";

// Within the range klplt.res allows, in which the moments' products cannot overflow; beam.h5
// may hold any finite double.
double withinSingleRange(double v) {
  constexpr double kLargest = std::numeric_limits<float>::max();
  return std::clamp(v, -kLargest, kLargest);
}

CrossingSet setOf(std::span<const openpmd::PathCrossing> crossings) {
  CrossingSet set;
  set.items.reserve(crossings.size());
  for (const openpmd::PathCrossing& c : crossings) {
    const double r = withinSingleRange(c.r_m * 1e3);
    set.items.push_back({r, c.slope, c.azimuthalSlope, withinSingleRange(c.current_A)});
    set.totalCurrent += set.items.back().current;
    set.rMax = std::max(set.rMax, klplot::saturatedSingle(r));
  }
  return set;
}

}  // namespace

FigureSource::FigureSource(const klplot::ProjectData& data, std::optional<std::vector<openpmd::PathRay>> rays)
    : data_(data), rays_(std::move(rays)) {}

const char* FigureSource::name() const { return rays_ ? "beam.h5" : "klplt.res"; }

PlaneFigures FigureSource::at(float z) const {
  if (!rays_) return figuresAt(data_, z);
  return figuresOf(setOf(openpmd::pathCrossings(*rays_, z * 1e-3)), z, klplot::fieldAt(z));
}

std::vector<PlaneFigures> FigureSource::along(const std::vector<float>& planes) const {
  if (!rays_) return figuresAlong(data_, planes);
  std::vector<double> planes_m;
  planes_m.reserve(planes.size());
  for (float z : planes) planes_m.push_back(z * 1e-3);
  std::vector<PlaneFigures> figures(planes.size());
  openpmd::sweepPathCrossings(*rays_, planes_m, [&](std::size_t j, std::span<const openpmd::PathCrossing> c) {
    figures[j] = figuresOf(setOf(c), planes[j], klplot::fieldAt(planes[j]));
  });
  return figures;
}

bool tracedThermalRays(const std::string& directory, const projectfiles::SolveRecord& record) {
  std::string text, why;
  const std::string path = directory + "/" + kSolverInput;
  if (projectfiles::readInputFile(path, solver::kMaxInputBytes, text, why) != projectfiles::InputRead::kOk)
    return false;
  // Edited since the solve, klinput.dat no longer says what the solve traced.
  const projectfiles::FileHash read{kSolverInput, projectfiles::sha256Hex(text)};
  if (std::find(record.inputs.begin(), record.inputs.end(), read) == record.inputs.end()) return false;
  solver::SolverInput input;
  solver::Diagnostic error;
  return solver::parseSolverInput(text, input, error) && input.cathodeTemperature_K > 0;
}

}  // namespace kelm::exporting
