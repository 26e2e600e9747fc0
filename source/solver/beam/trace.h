#pragma once
// The path of one traced electron, as the tracer gives it and the beam's figures and charge use it.

#include <vector>

namespace kelm::solver {

struct TracePoint {
  double t_s = 0, r_m = 0, z_m = 0;
  double ur = 0, uz = 0;
  double gamma = 1;
  double thetaDot_per_s = 0;
};

enum class TraceEnd { kElectrode, kMeshEdge, kTurnedBack, kStepLimit };

struct Trace {
  std::vector<TracePoint> points;
  TraceEnd end = TraceEnd::kStepLimit;
};

}  // namespace kelm::solver
