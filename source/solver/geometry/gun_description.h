#pragma once
// A gun as geom.cod describes it: the mesh, the outer edges, the electrodes as outlines of
// straight segments and circular arcs, and the cathode. Lengths in mm, potentials in V.

#include <string>
#include <string_view>
#include <vector>

#include "source/solver/geometry/statement_lexer.h"
#include "source/solver/mesh.h"

namespace kelm::solver {

// Limits, each reported by its name when a description exceeds it.
inline constexpr int kMaxMeshNodesAlong = 5000;          // "mesh size", per direction
inline constexpr long kMaxMeshNodes = 2'000'000;         // "mesh size", in all
inline constexpr int kMaxElectrodes = 100;
inline constexpr int kMaxOutlineSegments = 2000;         // "outline length", per electrode
inline constexpr double kMinCell_mm = 0.011;              // the scale keeps four decimals
inline constexpr double kMaxCell_mm = 100.0;
inline constexpr double kMaxLength_mm = 100000.0;
inline constexpr double kMaxPotential_V = 1e8;

struct PointMm {
  double r = 0.0;
  double z = 0.0;
};

// One piece of an outline. Arcs are at most a half circle; ccw turns counter-clockwise as the
// Beam view shows the gun (z to the right, r upward).
struct OutlineSegment {
  enum class Kind { kLine, kArc } kind = Kind::kLine;
  PointMm from, to;
  PointMm centre;          // arcs only
  double radius_mm = 0.0;  // arcs only
  bool ccw = true;         // arcs only
  int line = 0;            // where it was written
};

struct ElectrodeOutline {
  std::string name;
  double potential_V = 0.0;
  bool closed = false;  // a closed outline fills its inside; an open one is a thin sheet
  std::vector<OutlineSegment> segments;
  int line = 0;
};

// The emitting surface: one segment of one electrode's outline, a flat disc (a line at
// constant z) or a concave spherical cap (an arc centred on the axis, downstream of it).
struct CathodeSurface {
  enum class Shape { kNone, kFlat, kSpherical } shape = Shape::kNone;
  int electrode = -1;
  int segment = -1;
};

struct MeshExtent {
  double rExtent_mm = 0.0;  // the mesh covers 0 <= r <= rExtent, 0 <= z <= zExtent
  double zExtent_mm = 0.0;
  double cell_mm = 0.0;     // as the scale's four decimals make it: 1 / nodesPerMm
  double nodesPerMm = 0.0;  // geom.dat's mesh scale, exact in four decimals
  int nr = 0;
  int nz = 0;
};

struct GunDescription {
  MeshExtent mesh;
  EdgeCondition rMaxEdge, zMinEdge, zMaxEdge;
  std::vector<ElectrodeOutline> electrodes;
  CathodeSurface cathode;
  int statements = 0;
};

// Reads geom.cod's text. False with the first error, its position and what is wrong.
bool parseGunDescription(std::string_view text, GunDescription& gun, Diagnostic& error);

}  // namespace kelm::solver
