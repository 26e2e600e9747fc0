#pragma once
// The discrete axisymmetric Poisson operator on a classified mesh, before factorization.

#include <string>
#include <vector>

#include <Eigen/SparseCore>

#include "source/solver/mesh.h"

namespace kelm::solver {

// The largest mesh the solver takes: a direct factor of more nodes outgrows a desktop's memory.
inline constexpr std::size_t kMaxFieldNodes = 2'000'000;
// Potentials beyond a gigavolt are typing slips; refusing them keeps every sum finite.
inline constexpr double kMaxFieldPotential_V = 1e9;

struct FieldOperator {
  // Per node: the unknown's row, or -1 for a node held at fixedValue_V.
  std::vector<int> unknownOf;
  std::vector<double> fixedValue_V;
  // The flux balance over each free node's cell: symmetric and positive definite.
  Eigen::SparseMatrix<double> matrix;
  Eigen::VectorXd knownRhs;  // what the held values contribute
  // Per unknown: the cell volume over ε0, so a charge density ρ adds ρ·chargeWeight.
  std::vector<double> chargeWeight;
};

// False, with a one-line reason, when the mesh is malformed or leaves the potential of some
// free region undetermined.
bool assembleFieldOperator(const ClassifiedMesh& mesh, FieldOperator& op, std::string& error);

}  // namespace kelm::solver
