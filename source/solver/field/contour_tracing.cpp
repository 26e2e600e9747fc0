#include "source/solver/field/contour_tracing.h"

#include <array>
#include <cstdint>
#include <unordered_map>

namespace kelm::solver {
namespace {

// A level crossing on a mesh edge, named by the edge and its place on it, so that the two
// cells sharing the edge meet in the same point.
struct Crossing {
  std::uint64_t key = 0;
  ContourPoint at;
  bool rising = false;  // the potential rises through the level, walking the edge forward
};

class Tracer {
 public:
  Tracer(const ClassifiedMesh& mesh, std::span<const double> phi, double level)
      : mesh_(mesh), phi_(phi), level_(level) {}

  std::vector<ContourLine> run();

 private:
  // The crossings on the edge from node (ir, iz) one step along +r (alongZ false) or +z.
  void edgeCrossings(int ir, int iz, bool alongZ, std::vector<Crossing>& out) const;
  void addPiece(double t0, double a, double t1, double b, int slot, int ir, int iz, bool alongZ,
                std::vector<Crossing>& out) const;
  void cell(int ir, int iz);
  double effective(int ir, int iz) const;
  std::vector<ContourLine> chain() const;

  const ClassifiedMesh& mesh_;
  std::span<const double> phi_;
  double level_;
  std::vector<std::array<Crossing, 2>> segments_;
};

double Tracer::effective(int ir, int iz) const {
  const std::size_t node = mesh_.node(ir, iz);
  const std::int16_t e = mesh_.electrodeAt[node];
  if (e != ClassifiedMesh::kFree && static_cast<std::size_t>(e) < mesh_.electrodePotential_V.size())
    return mesh_.electrodePotential_V[static_cast<std::size_t>(e)];
  return phi_[node];
}

void Tracer::addPiece(double t0, double a, double t1, double b, int slot, int ir, int iz,
                      bool alongZ, std::vector<Crossing>& out) const {
  if ((a < level_) == (b < level_)) return;
  const double t = t0 + (level_ - a) / (b - a) * (t1 - t0);
  const std::uint64_t edge = 2 * static_cast<std::uint64_t>(mesh_.node(ir, iz)) + (alongZ ? 1 : 0);
  Crossing c;
  c.key = 2 * edge + static_cast<std::uint64_t>(slot);
  c.at = alongZ ? ContourPoint{double(ir), iz + t} : ContourPoint{ir + t, double(iz)};
  c.rising = b > a;
  out.push_back(c);
}

void Tracer::edgeCrossings(int ir, int iz, bool alongZ, std::vector<Crossing>& out) const {
  const int jr = alongZ ? ir : ir + 1;
  const int jz = alongZ ? iz + 1 : iz;
  const std::size_t p = mesh_.node(ir, iz), q = mesh_.node(jr, jz);
  const bool pFree = mesh_.electrodeAt[p] == ClassifiedMesh::kFree;
  const bool qFree = mesh_.electrodeAt[q] == ClassifiedMesh::kFree;
  const auto forward = static_cast<std::size_t>(alongZ ? kZPlus : kRPlus);
  const auto backward = static_cast<std::size_t>(alongZ ? kZMinus : kRMinus);
  // Where the free part next to each end stops, and the surface potential there.
  auto surface = [&](std::size_t node, std::size_t arm, bool free, double& fraction, double& value) {
    if (!free) return false;
    const std::int16_t e = mesh_.armElectrode[node][arm];
    const float f = mesh_.armFraction[node][arm];
    if (e == ClassifiedMesh::kFree || static_cast<std::size_t>(e) >= mesh_.electrodePotential_V.size() ||
        !(f > 0.0f && f <= 1.0f))
      return false;
    fraction = f;
    value = mesh_.electrodePotential_V[static_cast<std::size_t>(e)];
    return true;
  };
  double fp = 1, vp = 0, fq = 1, vq = 0;
  const bool pStops = surface(p, forward, pFree, fp, vp);
  const bool qStops = surface(q, backward, qFree, fq, vq);
  if (pFree && qFree && !pStops && !qStops) {
    addPiece(0, phi_[p], 1, phi_[q], 0, ir, iz, alongZ, out);
  } else if (pFree && qFree && pStops != qStops) {
    // A surface seen from one side only: a thin sheet at the potential it names.
    const double t = pStops ? fp : 1 - fq;
    const double v = pStops ? vp : vq;
    addPiece(0, phi_[p], t, v, 0, ir, iz, alongZ, out);
    addPiece(t, v, 1, phi_[q], 1, ir, iz, alongZ, out);
  } else {
    // A free end whose arm meets no surface although the other end is material: the surface
    // is taken at the material node itself.
    if (pFree) addPiece(0, phi_[p], fp, pStops ? vp : effective(jr, jz), 0, ir, iz, alongZ, out);
    if (qFree) addPiece(1 - fq, qStops ? vq : effective(ir, iz), 1, phi_[q], 1, ir, iz, alongZ, out);
  }
}

void Tracer::cell(int ir, int iz) {
  // The cell's edges walked once around: +r along the bottom, +z up the right side, then back.
  std::vector<Crossing> loop, edge;
  const struct { int ir, iz; bool alongZ, reversed; } sides[4] = {
      {ir, iz, false, false}, {ir + 1, iz, true, false}, {ir, iz + 1, false, true}, {ir, iz, true, true}};
  for (const auto& s : sides) {
    edge.clear();
    edgeCrossings(s.ir, s.iz, s.alongZ, edge);
    if (s.reversed)
      for (auto it = edge.rbegin(); it != edge.rend(); ++it) {
        loop.push_back(*it);
        loop.back().rising = !it->rising;
      }
    else
      loop.insert(loop.end(), edge.begin(), edge.end());
  }
  const std::size_t n = loop.size();
  if (n < 2 || n % 2 != 0) return;  // odd only where two electrodes meet inside the cell
  std::size_t start = 0;
  if (n == 4) {
    // A saddle: the side the cell's centre lies on stays connected through it.
    const double centre =
        (effective(ir, iz) + effective(ir + 1, iz) + effective(ir, iz + 1) + effective(ir + 1, iz + 1)) / 4;
    const bool firstGapAbove = loop[0].rising;
    if ((centre >= level_) == firstGapAbove) start = 1;
  }
  for (std::size_t k = 0; k < n; k += 2)
    segments_.push_back({loop[(start + k) % n], loop[(start + k + 1) % n]});
}

std::vector<ContourLine> Tracer::chain() const {
  std::unordered_map<std::uint64_t, std::array<int, 2>> ends;
  ends.reserve(segments_.size() * 2);
  for (std::size_t s = 0; s < segments_.size(); ++s)
    for (const Crossing& c : segments_[s]) {
      auto [it, fresh] = ends.try_emplace(c.key, std::array<int, 2>{-1, -1});
      it->second[it->second[0] < 0 ? 0 : 1] = static_cast<int>(s);
    }
  std::vector<char> used(segments_.size(), 0);
  auto other = [&](std::uint64_t key, int s) {
    const auto& pair = ends.at(key);
    return pair[0] == s ? pair[1] : pair[0];
  };
  // Walks from segment s out through its end `side`, appending points; returns where it stopped.
  auto walk = [&](int s, int side, ContourLine& line) {
    std::uint64_t key = segments_[static_cast<std::size_t>(s)][static_cast<std::size_t>(side)].key;
    for (int next = other(key, s); next >= 0 && !used[static_cast<std::size_t>(next)];
         next = other(key, next)) {
      used[static_cast<std::size_t>(next)] = 1;
      const auto& seg = segments_[static_cast<std::size_t>(next)];
      const Crossing& far = seg[0].key == key ? seg[1] : seg[0];
      line.push_back(far.at);
      key = far.key;
    }
  };
  std::vector<ContourLine> lines;
  for (std::size_t s = 0; s < segments_.size(); ++s) {
    if (used[s]) continue;
    used[s] = 1;
    ContourLine back, line;
    walk(static_cast<int>(s), 0, back);
    line.assign(back.rbegin(), back.rend());
    line.push_back(segments_[s][0].at);
    line.push_back(segments_[s][1].at);
    walk(static_cast<int>(s), 1, line);
    lines.push_back(std::move(line));
  }
  return lines;
}

std::vector<ContourLine> Tracer::run() {
  for (int iz = 0; iz + 1 < mesh_.nz; ++iz)
    for (int ir = 0; ir + 1 < mesh_.nr; ++ir) cell(ir, iz);
  return chain();
}

}  // namespace

std::vector<ContourLine> traceContours(const ClassifiedMesh& mesh, std::span<const double> potential_V,
                                       double level_V) {
  if (potential_V.size() != mesh.nodeCount() || mesh.electrodeAt.size() != mesh.nodeCount() ||
      mesh.armFraction.size() != mesh.nodeCount() || mesh.armElectrode.size() != mesh.nodeCount())
    return {};
  return Tracer(mesh, potential_V, level_V).run();
}

}  // namespace kelm::solver
