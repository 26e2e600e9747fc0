#pragma once
// The CSV files of kelm-export: the beam along z, the crossings of one plane, and the summary
// of a series of projects. Each is one header row and data rows, nothing else, so that any CSV
// reader takes it as it is; the definitions are in definitionsText().

#include <array>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "source/export/beam_energy.h"
#include "source/export/escaped_text.h"
#include "source/export/range_figures.h"
#include "source/klplot/figures/beam_figures_along_z.h"
#include "source/klplot/project/load_status.h"
#include "source/openpmd/path_crossings.h"

namespace kelm::exporting {

// How lengths are given: in mm once geom.dat has set the mesh's scale, else in mesh units.
struct TableUnits {
  bool millimetres = true;
  const char* length() const { return millimetres ? "mm" : "mesh"; }
};

std::string figuresCsv(const std::vector<PlaneFigures>& planes, const BeamEnergy& energy, TableUnits units,
                       bool header);

// From klplt.res, which holds no azimuthal slope: that column stays empty.
std::string crossingsCsv(const klplot::Crossings& c, const klplot::ProjectData& data, TableUnits units,
                         bool header);
// From beam.h5: every ray, in mm.
std::string crossingsCsv(std::span<const openpmd::PathCrossing> crossings, bool header);

using klplot::FileStatus;

struct SummaryRow {
  std::string directory;
  std::array<FileStatus, klplot::kProjectFiles.size()> files{};  // in the order of klplot::kProjectFiles
  bool olderThanMesh = false;  // see projectfiles::resultsOlderThanMesh
  // From the solve's record: its status ("incomplete: solve again" when the results do not match
  // it, empty without one), and how its iteration ended when it solved a beam.
  std::string status;
  std::optional<int> iterations;
  bool converged = false;
  double finalChange = 0.0;
  int trajectories = 0;
  double totalCurrent = 0.0;
  std::string figuresFrom;  // beam.h5 or klplt.res; empty without either
  std::optional<double> voltage;      // --voltage, V
  std::optional<PlaneFigures> waist;  // see waistOf
  LocalEnergy waistEnergy;
  PlaneFigures atZ;
  LocalEnergy energyAtZ;
  double largestCurrent = 0.0;  // the largest |current| through any plane of the sweep, A
  std::optional<ZRange> range;   // --range
  RangeFigures overRange;
  std::vector<std::string> solveFigures;  // see solve_figure_columns.h; empty: all cells empty
};


std::string summaryHeader();
std::string summaryLine(const SummaryRow& row);

}  // namespace kelm::exporting
