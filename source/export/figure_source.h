#pragma once
// Where kelm-export's plane figures come from: beam.h5's rays when the solve's record vouches
// for them (every ray, with its azimuthal slope), else klplt.res (at most 1000 rays, radial
// motion only). The waist, --z, --range, --figures-csv and the envelope all take the same one.

#include <optional>
#include <string>
#include <vector>

#include "source/klplot/figures/beam_figures_along_z.h"
#include "source/openpmd/beam_file_reader.h"
#include "source/project_files/solve_record.h"

namespace kelm::exporting {

class FigureSource {
 public:
  // rays: beam.h5's, lengths in m; nullopt for klplt.res, whose lengths are the store's.
  FigureSource(const klplot::ProjectData& data, std::optional<std::vector<openpmd::PathRay>> rays);

  bool fromBeamFile() const { return rays_.has_value(); }
  const std::vector<openpmd::PathRay>* rays() const { return rays_ ? &*rays_ : nullptr; }
  // The summary's figures_from.
  const char* name() const;

  PlaneFigures at(float z) const;
  std::vector<PlaneFigures> along(const std::vector<float>& planes) const;

 private:
  const klplot::ProjectData& data_;
  std::optional<std::vector<openpmd::PathRay>> rays_;
};

// Whether the solve of the record, whose results are all there, traced thermal rays:
// klinput.dat, as the record hashed it, gives the cathode a temperature.
bool tracedThermalRays(const std::string& directory, const projectfiles::SolveRecord& record);

}  // namespace kelm::exporting
