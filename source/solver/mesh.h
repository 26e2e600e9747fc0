#pragma once
// The computing mesh as the mesh builder hands it to the field solver. Cells are square and
// uniform: node (ir, iz) lies at r = ir·h, z = iz·h, with the symmetry axis at ir = 0, so a
// node index is also the coordinate geom.dat, pot.dat and klplt.res are written in.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kelm::solver {

// The four arms of a node toward its neighbours.
enum Arm : int { kRPlus = 0, kRMinus = 1, kZPlus = 2, kZMinus = 3 };

// An outer edge of the domain (the axis is not one: it is the symmetry line).
struct EdgeCondition {
  bool held = false;         // held at potential_V, else open (zero normal field)
  double potential_V = 0.0;
};

struct ClassifiedMesh {
  static constexpr std::int16_t kFree = -1;

  int nr = 0;                 // nodes along r, ir = 0 .. nr - 1
  int nz = 0;                 // nodes along z, iz = 0 .. nz - 1
  double cell_m = 0.0;        // h
  std::vector<double> electrodePotential_V;  // by electrode number

  // Per node: kFree, or the electrode the node lies inside or on (then held at its potential).
  std::vector<std::int16_t> electrodeAt;
  // Per node and arm, for free nodes: the distance to the first electrode surface along the
  // arm as a fraction of h, in (0, 1], and that electrode; 1 and kFree when the arm reaches
  // the neighbour without meeting a surface.
  std::vector<std::array<float, 4>> armFraction;
  std::vector<std::array<std::int16_t, 4>> armElectrode;

  EdgeCondition rMaxEdge;     // ir = nr - 1
  EdgeCondition zMinEdge;     // iz = 0
  EdgeCondition zMaxEdge;     // iz = nz - 1

  std::size_t node(int ir, int iz) const {
    return static_cast<std::size_t>(iz) * static_cast<std::size_t>(nr) + static_cast<std::size_t>(ir);
  }
  std::size_t nodeCount() const { return static_cast<std::size_t>(nr) * static_cast<std::size_t>(nz); }
};

}  // namespace kelm::solver
