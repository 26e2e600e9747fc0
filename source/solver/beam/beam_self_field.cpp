#include "source/solver/beam/beam_self_field.h"

#include <numbers>

#include "source/solver/beam/trace.h"
#include "source/solver/physical_constants.h"

namespace kelm::solver {

BeamSelfField::BeamSelfField(const ClassifiedMesh& mesh)
    : nr_(mesh.nr), nz_(mesh.nz), cell_m_(mesh.cell_m), crossings_(static_cast<std::size_t>(mesh.nz)) {}

void BeamSelfField::add(const Trace& trace, double current_A) {
  if (crossings_.empty() || !(current_A > 0)) return;
  const auto& p = trace.points;
  for (std::size_t k = 1; k < p.size(); ++k) {
    const double za = p[k - 1].z_m / cell_m_, zb = p[k].z_m / cell_m_;
    if (!(za != zb)) continue;
    // The planes in [lower, upper), so that a start on a plane counts; a step back along z
    // carries its current back.
    const double lower = std::min(za, zb), upper = std::max(za, zb);
    const int first = std::max(static_cast<int>(std::ceil(std::clamp(lower, -1.0, double(nz_)))), 0);
    const int last = std::min(static_cast<int>(std::ceil(std::clamp(upper, -1.0, double(nz_)))) - 1, nz_ - 1);
    for (int iz = first; iz <= last; ++iz) {
      const double t = (iz - za) / (zb - za);
      const double r = std::fabs(p[k - 1].r_m + t * (p[k].r_m - p[k - 1].r_m));
      crossings_[static_cast<std::size_t>(iz)].push_back({r, zb > za ? current_A : -current_A});
    }
  }
}

void BeamSelfField::finish() {
  node_.assign(static_cast<std::size_t>(nr_) * static_cast<std::size_t>(nz_), 0.0);
  for (int iz = 0; iz < nz_; ++iz) {
    auto& c = crossings_[static_cast<std::size_t>(iz)];
    std::sort(c.begin(), c.end());
    // Each crossing's current is spread evenly over the area of its own annulus, from half-way
    // to the crossing inside to half-way to the one outside: exact at every radius for a
    // uniform beam, however sparse its trajectories are against the cells.
    double inside = 0, lower = 0;
    std::size_t k = 0;
    for (int ir = 1; ir < nr_; ++ir) {
      const double r = ir * cell_m_;
      double enclosed = 0;
      for (;;) {
        if (k == c.size()) {
          enclosed = inside;
          break;
        }
        const double upper = k + 1 < c.size() ? (c[k].first + c[k + 1].first) / 2 : 2 * c[k].first - lower;
        if (r < upper) {
          const double area = upper * upper - lower * lower;
          enclosed = inside + (area > 0 ? c[k].second * std::max(r * r - lower * lower, 0.0) / area : 0.0);
          break;
        }
        inside += c[k].second;
        lower = upper;
        ++k;
      }
      node_[static_cast<std::size_t>(iz) * static_cast<std::size_t>(nr_) + static_cast<std::size_t>(ir)] =
          -kVacuumPermeability_H_per_m * enclosed / (2 * std::numbers::pi * r);
    }
  }
  crossings_ = {};
}

}  // namespace kelm::solver
