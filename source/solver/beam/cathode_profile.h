#pragma once
// The emitted current density along the cathode, held at points about a cell apart and linear
// between them. A trajectory's current is the integral over its share of the surface, and its
// charge is spread over the width of its share, so that the beam does not depend on whether
// trajectories are sparser or denser than cells (docs/method.md, "Emission").

#include <vector>

#include "source/solver/beam/cathode_emitter.h"

namespace kelm::solver {

// One part of a trajectory's current tube: where it lies from the site on the cathode (m) and
// its fraction of the trajectory's current.
struct TubePart {
  double dr_m = 0, dz_m = 0;
  double fraction = 1;
};

class CathodeProfile {
 public:
  CathodeProfile(const CathodeShape& cathode, double spacing_m);

  std::size_t size() const { return density_.size(); }
  double along(std::size_t k) const { return static_cast<double>(k) * step_; }
  SurfacePoint point(std::size_t k) const { return surfacePoint(cathode_, along(k)); }
  // A/m² at each point.
  std::vector<double>& density() { return density_; }
  const std::vector<double>& density() const { return density_; }

  // ∫ J dA over the ring between two distances along the surface.
  double current(double from_m, double to_m) const;
  double total() const { return current(0, length_); }
  // The share of a site cut into parts no wider than half the spacing, each with the
  // fraction of the share's current it carries; one part when the share is narrow.
  std::vector<TubePart> tube(const EmissionSite& site) const;

 private:
  double densityAt(double along_m) const;

  const CathodeShape& cathode_;
  double length_ = 0, step_ = 0;
  std::vector<double> density_;
};

}  // namespace kelm::solver
