#pragma once
// The electrostatic potential on the classified mesh: the axisymmetric Poisson equation in
// (r, z), with arms cut short where they meet electrode surfaces (Shortley–Weller). The
// operator is factorized once per geometry; each right-hand side is one back-substitution
// (docs/method.md, "The discretization").

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "source/solver/mesh.h"

namespace kelm::solver {

class FieldSolver {
 public:
  FieldSolver();
  ~FieldSolver();

  // Assembles the axisymmetric operator on the mesh and factorizes it, once per geometry.
  // False, with a one-line reason in error, when the mesh cannot be solved.
  bool prepare(const ClassifiedMesh& mesh, std::string& error);
  // One back-substitution: the potential at every node (V) for a space-charge density per
  // node in C/m³ (empty: the vacuum field). Electrode and held nodes come out at their
  // potential. Before a successful prepare the result is empty.
  void solve(std::span<const double> chargeDensity_C_per_m3,
             std::vector<double>& potential_V) const;

 private:
  struct Factor;
  std::unique_ptr<Factor> factor_;
};

}  // namespace kelm::solver
