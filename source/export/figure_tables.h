#pragma once
// The CSV files of kelm-export: the beam along z, the crossings of one plane, and the summary
// of a series of projects.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "source/export/beam_figures_along_z.h"

namespace kelm::exporting {

// Each comment line names the project and states every definition the columns use.
std::string figuresCsv(const std::vector<PlaneFigures>& planes, const std::string& project,
                       std::optional<double> voltage);

std::string crossingsCsv(const klplot::Crossings& c, const klplot::ProjectData& data, float z,
                         const std::string& project);

enum class FileStatus { kLoaded, kNotFound, kDamaged };
inline constexpr std::array<const char*, 4> kProjectFiles{"geom.dat", "mag.dat", "pot.dat", "klplt.res"};

struct SummaryRow {
  std::string directory;
  std::array<FileStatus, 4> files{};  // in the order of kProjectFiles
  int trajectories = 0;
  double totalCurrent = 0.0;
  std::optional<PlaneFigures> waist;  // the plane of the smallest rms radius, if any has current
  PlaneFigures atZ;
};

// The plane of the smallest rms radius among those that carry current.
std::optional<PlaneFigures> waistOf(const std::vector<PlaneFigures>& planes);

std::string summaryCsv(const std::vector<SummaryRow>& rows);

}  // namespace kelm::exporting
