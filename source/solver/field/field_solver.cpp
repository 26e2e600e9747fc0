#include "source/solver/field/field_solver.h"

#include <Eigen/Sparse>
#include <Eigen/SparseLU>

#include "source/solver/field/field_operator.h"
#include "source/solver/physical_constants.h"

namespace kelm::solver {

struct FieldSolver::Factor {
  FieldOperator op;
  Eigen::SparseLU<Eigen::SparseMatrix<double>, Eigen::COLAMDOrdering<int>> lu;
};

FieldSolver::FieldSolver() = default;
FieldSolver::~FieldSolver() = default;

bool FieldSolver::prepare(const ClassifiedMesh& mesh, std::string& error) {
  factor_.reset();
  auto factor = std::make_unique<Factor>();
  if (!assembleFieldOperator(mesh, factor->op, error)) return false;
  if (factor->op.matrix.rows() > 0) {
    factor->lu.compute(factor->op.matrix);
    if (factor->lu.info() != Eigen::Success) {
      error = "the field equations cannot be factorized (singular operator)";
      return false;
    }
  }
  factor_ = std::move(factor);
  return true;
}

void FieldSolver::solve(std::span<const double> chargeDensity_C_per_m3,
                        std::vector<double>& potential_V) const {
  potential_V.clear();
  if (!factor_) return;
  const FieldOperator& op = factor_->op;
  const bool charged = !chargeDensity_C_per_m3.empty();
  if (charged && chargeDensity_C_per_m3.size() != op.unknownOf.size()) return;

  Eigen::VectorXd rhs = op.knownRhs;
  if (charged) {
    for (std::size_t node = 0; node < op.unknownOf.size(); ++node) {
      const int unknown = op.unknownOf[node];
      if (unknown >= 0)
        rhs[unknown] -= op.rowScale_m2 * chargeDensity_C_per_m3[node] / kVacuumPermittivity_F_per_m;
    }
  }
  Eigen::VectorXd x;
  if (rhs.size() > 0) x = factor_->lu.solve(rhs);
  potential_V = op.fixedValue_V;
  for (std::size_t node = 0; node < op.unknownOf.size(); ++node) {
    const int unknown = op.unknownOf[node];
    if (unknown >= 0) potential_V[node] = x[unknown];
  }
}

}  // namespace kelm::solver
