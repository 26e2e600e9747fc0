#include "source/solver/beam/potential_field.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace kelm::solver {
namespace {

// A potential known at a distance along a mesh line, in cells.
struct LinePoint {
  double at = 0, phi = 0;
  bool surface = false;  // an electrode's surface, not a node
};

struct Fit {
  double value = 0, slope = 0;
};

// The value and slope at 0 of the parabola through three points (the line through two).
Fit fitAtZero(const LinePoint* p, int count) {
  if (count < 2) return {p[0].phi, 0};
  if (count == 2) {
    const double slope = (p[1].phi - p[0].phi) / (p[1].at - p[0].at);
    return {p[0].phi - slope * p[0].at, slope};
  }
  Fit fit;
  for (int i = 0; i < 3; ++i) {
    const double a = p[(i + 1) % 3].at, b = p[(i + 2) % 3].at;
    const double d = (p[i].at - a) * (p[i].at - b);
    fit.value += p[i].phi * a * b / d;
    fit.slope -= p[i].phi * (a + b) / d;
  }
  return fit;
}

// A surface closer to a node than this (in cells) is as good as through it: the potential
// difference across so short an arm is rounding, not field.
constexpr double kShortArm = 0.1;

struct Slopes {
  const ClassifiedMesh& mesh;
  std::span<const double> phi;

  // From the free node (ir, iz), placed at `from`, along the line in the direction `sign`: the
  // node and up to two points beyond it, ending at an electrode surface or the mesh's edge.
  int walk(int ir, int iz, bool alongR, int sign, double from, LinePoint* out) const {
    const auto arm = static_cast<std::size_t>(alongR ? (sign > 0 ? kRPlus : kRMinus) : (sign > 0 ? kZPlus : kZMinus));
    out[0] = {from, phi[mesh.node(ir, iz)], false};
    int count = 1;
    while (count < 3) {
      const std::size_t n = mesh.node(ir, iz);
      if (mesh.electrodeAt[n] != ClassifiedMesh::kFree) break;
      const int electrode = mesh.armElectrode[n][arm];
      if (electrode != ClassifiedMesh::kFree) {
        out[count] = {out[count - 1].at + sign * static_cast<double>(mesh.armFraction[n][arm]),
                      mesh.electrodePotential_V[static_cast<std::size_t>(electrode)], true};
        return count + 1;
      }
      (alongR ? ir : iz) += sign;
      if (ir < 0 || ir >= mesh.nr || iz < 0 || iz >= mesh.nz) break;
      out[count] = {out[count - 1].at + sign, phi[mesh.node(ir, iz)], false};
      ++count;
    }
    return count;
  }

  // The slope at a free node along one line: central through the nearest point on either side,
  // else one-sided; none at an open edge (its normal field is zero).
  double atFree(int ir, int iz, bool alongR) const {
    if (alongR && ir == 0) return 0;  // the axis
    LinePoint plus[3], minus[3];
    const int np = walk(ir, iz, alongR, 1, 0, plus), nm = walk(ir, iz, alongR, -1, 0, minus);
    auto usable = [](const LinePoint* p, int n) { return n > 1 && !(p[1].surface && std::fabs(p[1].at) < kShortArm); };
    const bool up = usable(plus, np), down = usable(minus, nm);
    if (up && down) {
      const LinePoint p[3] = {plus[0], plus[1], minus[1]};
      return fitAtZero(p, 3).slope;
    }
    const bool edge = np == 1 || nm == 1;
    const bool held = alongR ? mesh.rMaxEdge.held : (nm == 1 ? mesh.zMinEdge.held : mesh.zMaxEdge.held);
    if ((edge && !held) || (!up && !down)) return 0;
    return up ? fitAtZero(plus, np).slope : fitAtZero(minus, nm).slope;
  }

  // An electrode node's value and slope: the potential outside continued to the node from the
  // free neighbours along the line, through the surface crossing and the points beyond;
  // averaged when free space lies on both sides; none when on neither.
  bool atElectrode(int ir, int iz, bool alongR, Fit& out) const {
    Fit sum;
    int sides = 0;
    for (const int sign : {1, -1}) {
      const int jr = ir + (alongR ? sign : 0), jz = iz + (alongR ? 0 : sign);
      if (jr < 0 || jr >= mesh.nr || jz < 0 || jz >= mesh.nz) continue;
      const std::size_t m = mesh.node(jr, jz);
      if (mesh.electrodeAt[m] != ClassifiedMesh::kFree) continue;
      LinePoint back[3], p[4];
      walk(jr, jz, alongR, -sign, sign, back);
      int count = 0;
      if (back[1].surface && std::fabs(back[1].at - sign) >= kShortArm) p[count++] = back[1];
      count += walk(jr, jz, alongR, sign, sign, p + count);
      const Fit fit = fitAtZero(p, std::min(count, 3));
      sum.value += fit.value;
      sum.slope += fit.slope;
      ++sides;
    }
    if (sides == 0) return false;
    out = {sum.value / sides, sum.slope / sides};
    if (alongR && ir == 0) out.slope = 0;
    return true;
  }
};

}  // namespace

PotentialField::PotentialField(const ClassifiedMesh& mesh, std::span<const double> potential_V,
                               const BeamSelfField* selfField)
    : mesh_(mesh), fit_(mesh.nodeCount()), selfField_(selfField) {
  const Slopes s{mesh, potential_V};
  // Per node: whether its value, its r slope and its z slope are known yet.
  std::vector<std::array<bool, 3>> known(mesh.nodeCount(), {false, false, false});
  auto isFree = [&](int ir, int iz) { return mesh.electrodeAt[mesh.node(ir, iz)] == ClassifiedMesh::kFree; };
  for (int iz = 0; iz < mesh.nz; ++iz)
    for (int ir = 0; ir < mesh.nr; ++ir) {
      const std::size_t i = mesh.node(ir, iz);
      NodeFit& n = fit_[i];
      n.phi = potential_V[i];
      if (isFree(ir, iz)) {
        n.r = s.atFree(ir, iz, true);
        n.z = s.atFree(ir, iz, false);
        known[i] = {true, true, true};
        continue;
      }
      // The continued potential, so that the cells an electrode cuts carry the outside field.
      Fit alongR, alongZ;
      const bool r = s.atElectrode(ir, iz, true, alongR), z = s.atElectrode(ir, iz, false, alongZ);
      if (r || z) n.phi = ((r ? alongR.value : 0) + (z ? alongZ.value : 0)) / (r + z);
      n.r = alongR.slope;
      n.z = alongZ.slope;
      known[i] = {r || z, r, z};
    }
  // An electrode corner facing free space only across a diagonal: continued from that node.
  for (int iz = 0; iz < mesh.nz; ++iz)
    for (int ir = 0; ir < mesh.nr; ++ir) {
      const std::size_t i = mesh.node(ir, iz);
      if (known[i][0]) continue;
      double sum = 0;
      int count = 0;
      for (int d = 0; d < 4; ++d) {
        const int du = d & 1 ? 1 : -1, dv = d & 2 ? 1 : -1, jr = ir - du, jz = iz - dv;
        if (jr < 0 || jr >= mesh.nr || jz < 0 || jz >= mesh.nz || !isFree(jr, jz)) continue;
        const NodeFit& f = fit_[mesh.node(jr, jz)];
        sum += f.phi + f.r * du + f.z * dv;
        ++count;
      }
      if (count > 0) fit_[i].phi = sum / count;
      known[i][0] = count > 0;
    }
  // The electrode slopes still missing: differences of the continued values along the line.
  for (int iz = 0; iz < mesh.nz; ++iz)
    for (int ir = 0; ir < mesh.nr; ++ir) {
      const std::size_t i = mesh.node(ir, iz);
      for (const bool alongR : {true, false}) {
        if (known[i][alongR ? 1 : 2] || (alongR && ir == 0)) continue;
        const int lo = alongR ? ir - 1 : iz - 1, hi = lo + 2, last = alongR ? mesh.nr : mesh.nz;
        const std::size_t a = alongR ? mesh.node(std::max(lo, 0), iz) : mesh.node(ir, std::max(lo, 0));
        const std::size_t b = alongR ? mesh.node(std::min(hi, last - 1), iz) : mesh.node(ir, std::min(hi, last - 1));
        const bool below = lo >= 0 && known[a][0], above = hi < last && known[b][0], self = known[i][0];
        double& slope = alongR ? fit_[i].r : fit_[i].z;
        if (below && above) slope = (fit_[b].phi - fit_[a].phi) / 2;
        else if (above && self) slope = fit_[b].phi - fit_[i].phi;
        else if (below && self) slope = fit_[i].phi - fit_[a].phi;
      }
    }
  // The cross derivative from the neighbours' slopes, symmetrized; zero on the axis, where
  // ∂φ/∂r vanishes all along.
  auto difference = [&](int ir, int iz, bool alongR, double NodeFit::*of) {
    const int lo = alongR ? std::max(ir - 1, 0) : std::max(iz - 1, 0);
    const int hi = alongR ? std::min(ir + 1, mesh.nr - 1) : std::min(iz + 1, mesh.nz - 1);
    const std::size_t a = alongR ? mesh.node(lo, iz) : mesh.node(ir, lo), b = alongR ? mesh.node(hi, iz) : mesh.node(ir, hi);
    return hi > lo ? (fit_[b].*of - fit_[a].*of) / (hi - lo) : 0.0;
  };
  for (int iz = 0; iz < mesh.nz; ++iz)
    for (int ir = 1; ir < mesh.nr; ++ir)
      fit_[mesh.node(ir, iz)].rz = (difference(ir, iz, false, &NodeFit::r) + difference(ir, iz, true, &NodeFit::z)) / 2;
}

bool PotentialField::withinMesh(double r_m, double z_m) const {
  const double rMax = (mesh_.nr - 1) * mesh_.cell_m, zMax = (mesh_.nz - 1) * mesh_.cell_m;
  return std::fabs(r_m) <= rMax && z_m >= 0.0 && z_m <= zMax;
}

bool PotentialField::insideElectrode(double r_m, double z_m) const {
  const Cell c = cellOf(r_m, z_m);
  double best = std::numeric_limits<double>::max();
  bool inside = true;  // a cell without a free corner lies within an electrode
  for (int corner = 0; corner < 4; ++corner) {
    const int ir = c.ir + (corner & 1), iz = c.iz + (corner >> 1);
    const std::size_t n = mesh_.node(ir, iz);
    if (mesh_.electrodeAt[n] != ClassifiedMesh::kFree) continue;
    const double a = c.u - (corner & 1), b = c.v - (corner >> 1);
    const double distance = a * a + b * b;
    if (distance >= best) continue;
    best = distance;
    const auto armR = static_cast<std::size_t>(a >= 0 ? kRPlus : kRMinus);
    const auto armZ = static_cast<std::size_t>(b >= 0 ? kZPlus : kZMinus);
    const auto& fraction = mesh_.armFraction[n];
    const auto& electrode = mesh_.armElectrode[n];
    double reach = 0;  // |a|/fr + |b|/fz: beyond 1 past the straight surface
    if (electrode[armR] != ClassifiedMesh::kFree) reach += std::fabs(a) / std::max(double{fraction[armR]}, 1e-6);
    if (electrode[armZ] != ClassifiedMesh::kFree) reach += std::fabs(b) / std::max(double{fraction[armZ]}, 1e-6);
    inside = reach > 1.0;
  }
  return inside;
}

}  // namespace kelm::solver
