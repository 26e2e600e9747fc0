#include "source/solver/beam/current_accounting.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kelm::solver {

int electrodeStruck(const ClassifiedMesh& mesh, double r_m, double z_m) {
  const double h = mesh.cell_m;
  if (!std::isfinite(r_m) || !std::isfinite(z_m) || mesh.nr < 2 || mesh.nz < 2) return -1;
  const double u = std::clamp(std::abs(r_m) / h, 0.0, mesh.nr - 1.0), v = std::clamp(z_m / h, 0.0, mesh.nz - 1.0);
  const int ir = std::min(static_cast<int>(u), mesh.nr - 2), iz = std::min(static_cast<int>(v), mesh.nz - 2);
  double best = std::numeric_limits<double>::max();
  int struck = -1;
  for (int corner = 0; corner < 4; ++corner) {
    const int jr = ir + (corner & 1), jz = iz + (corner >> 1);
    const std::size_t n = mesh.node(jr, jz);
    const double a = u - jr, b = v - jz;
    if (mesh.electrodeAt[n] != ClassifiedMesh::kFree) {
      const double d = std::hypot(a, b);
      if (d < best) best = d, struck = mesh.electrodeAt[n];
      continue;
    }
    // The crossings on the two arms toward the point, each at its distance from the point.
    const std::size_t arms[2] = {static_cast<std::size_t>(a >= 0 ? kRPlus : kRMinus),
                                 static_cast<std::size_t>(b >= 0 ? kZPlus : kZMinus)};
    const double toward[2][2] = {{std::abs(a), std::abs(b)}, {std::abs(b), std::abs(a)}};
    for (int k = 0; k < 2; ++k) {
      const std::int16_t e = mesh.armElectrode[n][arms[k]];
      if (e == ClassifiedMesh::kFree) continue;
      const double d = std::hypot(toward[k][0] - mesh.armFraction[n][arms[k]], toward[k][1]);
      if (d < best) best = d, struck = e;
    }
  }
  return struck;
}

CurrentAccount accountCurrent(const ClassifiedMesh& mesh, const std::vector<BeamTrajectory>& beam) {
  CurrentAccount account;
  account.intercepted_A.assign(mesh.electrodePotential_V.size(), 0.0);
  for (const BeamTrajectory& t : beam) {
    account.emitted_A += t.current_A;
    if (t.trace.points.empty()) {  // nothing traced: a share with no current
      account.stalled_A += t.current_A;
      continue;
    }
    const TracePoint& last = t.trace.points.back();
    switch (t.trace.end) {
      case TraceEnd::kMeshEdge: account.exit_A += t.current_A; break;
      case TraceEnd::kTurnedBack: account.reflected_A += t.current_A; break;
      case TraceEnd::kStepLimit: account.stalled_A += t.current_A; break;
      case TraceEnd::kElectrode: {
        const int e = electrodeStruck(mesh, last.r_m, last.z_m);
        if (e >= 0 && static_cast<std::size_t>(e) < account.intercepted_A.size())
          account.intercepted_A[static_cast<std::size_t>(e)] += t.current_A;
        else
          account.stalled_A += t.current_A;
        break;
      }
    }
  }
  return account;
}

}  // namespace kelm::solver
