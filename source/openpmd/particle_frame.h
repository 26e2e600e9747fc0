#pragma once
// The electrons of one openPMD iteration as columns, from the traced rays: either every point
// of every path, or where each path first crosses a plane z = const. The rays are rings about
// the axis; each is followed in the plane θ = 0 at its start and turned by its own θ̇.

#include <cstdint>
#include <span>
#include <vector>

#include "source/solver/beam/trace.h"

namespace kelm::openpmd {

struct Ray {
  std::int32_t id = 0;  // numbered from 1 as in klplt.res
  double current_A = 0;
  std::span<const solver::TracePoint> points;
};

// Momentum in units of m_e c; weighting in electrons.
struct ParticleFrame {
  std::vector<double> x_m, y_m, z_m, px, py, pz, weighting, current_A, time_s;
  std::vector<std::int32_t> id;
  std::size_t size() const { return id.size(); }
};

// A screen's particles stand for the electrons of a slice this long, weighting = I·Δt/e.
inline constexpr double kScreenSlice_s = 1e-9;

// Each point of a path holds the electrons of the time halfway to its neighbours,
// weighting = I·(t[k+1] − t[k−1])/(2e): the beam in flight at one instant.
ParticleFrame pathFrame(std::span<const Ray> rays);

// One particle per ray that reaches the plane, at its first crossing.
ParticleFrame screenFrame(std::span<const Ray> rays, double z_m);

}  // namespace kelm::openpmd
