#pragma once
// A fill-reducing elimination order for the field operator, taken from the mesh's own geometry
// in time proportional to its size, where a general graph partitioner takes seconds.

#include <vector>

namespace kelm::solver {

// The unknowns of an nr × nz mesh in nested-dissection order: each part of the mesh before the
// line of nodes that separates it from its neighbour part, the lines last. unknownOf gives, per
// node (ir + nr·iz), its unknown's number or -1 for a held node; the result holds every unknown
// once, in the order it is to be eliminated.
std::vector<int> nestedDissectionOrder(int nr, int nz, const std::vector<int>& unknownOf);

}  // namespace kelm::solver
