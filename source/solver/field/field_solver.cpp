#include "source/solver/field/field_solver.h"

#include <Eigen/CholmodSupport>
#include <Eigen/Sparse>
#include <mutex>

#include "runtime/fp_traps.h"
#include "source/solver/field/field_operator.h"

namespace kelm::solver {
namespace {

// The serial BLAS underneath the factorization keeps one set of work buffers for the whole
// process and takes no lock on them: two factorizations or solves running at once in different
// threads overwrite each other's blocks and come out wrong, or not positive definite. Every
// call into the library therefore waits its turn.
std::mutex& libraryTurn() {
  static std::mutex turn;
  return turn;
}

}  // namespace

struct FieldSolver::Factor {
  FieldOperator op;
  // The flux-balance operator is symmetric positive definite: a supernodal Cholesky factor is
  // several times faster to build than an LU one, and its back-substitution too.
  Eigen::CholmodSupernodalLLT<Eigen::SparseMatrix<double>> cholesky;
};

FieldSolver::FieldSolver() = default;
FieldSolver::~FieldSolver() = default;

bool FieldSolver::prepare(const ClassifiedMesh& mesh, std::string& error) {
  factor_.reset();
  auto factor = std::make_unique<Factor>();
  if (!assembleFieldOperator(mesh, factor->op, error)) return false;
  if (factor->op.matrix.rows() > 0) {
    // The factorization library's arithmetic is not ours to trap.
    const std::lock_guard turn(libraryTurn());
    FloatingPointTrapsSuspended untrapped;
    factor->cholesky.cholmod().print = 0;
    factor->cholesky.compute(factor->op.matrix);
    if (factor->cholesky.info() != Eigen::Success) {
      error = "the field equations cannot be factorized (out of memory or a degenerate mesh)";
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
        rhs[unknown] += chargeDensity_C_per_m3[node] * op.chargeWeight[static_cast<std::size_t>(unknown)];
    }
  }
  Eigen::VectorXd x;
  if (rhs.size() > 0) {
    const std::lock_guard turn(libraryTurn());
    FloatingPointTrapsSuspended untrapped;
    x = factor_->cholesky.solve(rhs);
  }
  potential_V = op.fixedValue_V;
  for (std::size_t node = 0; node < op.unknownOf.size(); ++node) {
    const int unknown = op.unknownOf[node];
    if (unknown >= 0) potential_V[node] = x[unknown];
  }
}

}  // namespace kelm::solver
