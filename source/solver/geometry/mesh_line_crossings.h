#pragma once
// Where electrode outlines meet the straight lines of the mesh. Coordinates in cells: x along
// z (x = z / h), y along r (y = r / h). Each outline segment is cut into pieces that run
// monotonically in both x and y (arcs at every quarter turn), so a piece meets a mesh line at
// most once, or lies along it.

#include <cstdint>
#include <vector>

#include "source/solver/geometry/gun_description.h"

namespace kelm::solver {

struct OutlinePiece {
  double ax = 0, ay = 0, bx = 0, by = 0;  // ends, in cells
  bool arc = false;
  double cx = 0, cy = 0, radius = 0;      // arcs, in cells
  double sx = 1, sy = 1;                  // arcs: the quadrant's signs of cos θ and sin θ
  std::int16_t electrode = 0;
  bool closed = false;                    // of a closed outline, so it bounds an inside
};

std::vector<OutlinePiece> outlinePieces(const GunDescription& gun);

struct LineHit {
  double at = 0;           // position along the mesh line, in cells
  std::int16_t electrode = 0;
  bool countsForInside = false;  // a crossing of a closed outline by the half-open rule
  bool operator<(const LineHit& o) const { return at < o.at || (at == o.at && electrode < o.electrode); }
};

// Every meeting of the pieces with the mesh line x = c (alongX false: positions are y) or
// y = c (alongX true: positions are x), sorted by position. A piece lying along the line
// gives its two ends.
void meshLineHits(const std::vector<OutlinePiece>& pieces, bool alongX, double c, std::vector<LineHit>& hits);

}  // namespace kelm::solver
