#include "source/solver/field/field_solver.h"

#include <cholmod.h>

#include "source/solver/field/field_operator.h"
#include "source/solver/field/library_turn.h"
#include "source/solver/field/nested_dissection.h"
#include "source/solver/solver_checks.h"

namespace kelm::solver {
namespace {

// The operator's lower triangle as the library reads it, without a copy.
cholmod_sparse lowerTriangleView(const Eigen::SparseMatrix<double>& matrix) {
  cholmod_sparse a{};
  a.nrow = a.ncol = static_cast<std::size_t>(matrix.rows());
  a.nzmax = static_cast<std::size_t>(matrix.nonZeros());
  a.p = const_cast<int*>(matrix.outerIndexPtr());
  a.i = const_cast<int*>(matrix.innerIndexPtr());
  a.x = const_cast<double*>(matrix.valuePtr());
  a.stype = -1;
  a.itype = CHOLMOD_INT;
  a.xtype = CHOLMOD_REAL;
  a.dtype = CHOLMOD_DOUBLE;
  a.sorted = 1;
  a.packed = 1;
  return a;
}

[[maybe_unused]] bool isPermutation(const std::vector<int>& order) {
  std::vector<char> seen(order.size(), 0);
  for (int u : order) {
    if (u < 0 || static_cast<std::size_t>(u) >= order.size() || seen[static_cast<std::size_t>(u)]) return false;
    seen[static_cast<std::size_t>(u)] = 1;
  }
  return true;
}

// The Cholesky factor reads only the lower triangle: an asymmetric assembly would pass unseen.
[[maybe_unused]] bool isSymmetric(const Eigen::SparseMatrix<double>& matrix) {
  const Eigen::SparseMatrix<double> transposed = matrix.transpose();
  return (matrix - transposed).norm() <= 1e-12 * matrix.norm();
}

}  // namespace

struct FieldSolver::Factor {
  FieldOperator op;
  cholmod_common common;
  // The flux-balance operator is symmetric positive definite: a supernodal Cholesky factor.
  cholmod_factor* cholesky = nullptr;
  // The back-substitution's result and work vectors, kept from one solve to the next.
  mutable cholmod_dense* x = nullptr;
  mutable cholmod_dense* work = nullptr;
  mutable cholmod_dense* scratch = nullptr;

  Factor() {
    cholmod_start(&common);
    common.print = 0;
    common.supernodal = CHOLMOD_SUPERNODAL;
    // The order comes from the mesh: the library's own search would try several and take seconds.
    common.nmethods = 1;
    common.method[0].ordering = CHOLMOD_GIVEN;
    // Merge fewer small blocks than the library would: the explicit zeros merging adds cost a
    // fifth of the factor's memory, and every back-substitution reads them.
    common.nrelax[0] = 2;
    common.nrelax[1] = 8;
    common.nrelax[2] = 24;
  }
  ~Factor() {
    const LibraryTurn turn;
    cholmod_free_dense(&x, &common);
    cholmod_free_dense(&work, &common);
    cholmod_free_dense(&scratch, &common);
    cholmod_free_factor(&cholesky, &common);
    cholmod_finish(&common);
  }
  Factor(const Factor&) = delete;
  Factor& operator=(const Factor&) = delete;
};

FieldSolver::FieldSolver() = default;
FieldSolver::~FieldSolver() = default;

bool FieldSolver::prepare(const ClassifiedMesh& mesh, std::string& error) {
  factor_.reset();
  auto factor = std::make_unique<Factor>();
  if (!assembleFieldOperator(mesh, factor->op, error)) return false;
  const FieldOperator& op = factor->op;
  if (op.matrix.rows() > 0) {
    std::vector<int> order = nestedDissectionOrder(mesh.nr, mesh.nz, op.unknownOf);
    if (order.size() != static_cast<std::size_t>(op.matrix.rows())) {
      error = "the field equations cannot be ordered for factorization";
      return false;
    }
    KELM_ASSERT(isPermutation(order));
    KELM_ASSERT(isSymmetric(op.matrix));
    cholmod_sparse a = lowerTriangleView(op.matrix);
    const LibraryTurn turn;
    factor->cholesky = cholmod_analyze_p(&a, order.data(), nullptr, 0, &factor->common);
    if (!factor->cholesky || !cholmod_factorize(&a, factor->cholesky, &factor->common) ||
        factor->common.status != CHOLMOD_OK || factor->cholesky->minor < factor->cholesky->n) {
      error = "the field equations cannot be factorized (out of memory or a degenerate mesh)";
      return false;
    }
    turn.confirmRegionsRanInline();
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
  potential_V = op.fixedValue_V;
  if (rhs.size() == 0) return;
  cholmod_dense b{};
  b.nrow = b.d = b.nzmax = static_cast<std::size_t>(rhs.size());
  b.ncol = 1;
  b.x = rhs.data();
  b.xtype = CHOLMOD_REAL;
  b.dtype = CHOLMOD_DOUBLE;
  const LibraryTurn turn;  // held while the shared result vector is read
  Factor& f = *factor_;
  if (!cholmod_solve2(CHOLMOD_A, f.cholesky, &b, nullptr, &f.x, nullptr, &f.work, &f.scratch, &f.common)) {
    potential_V.clear();  // out of memory: no potential rather than a wrong one
    return;
  }
  const double* x = static_cast<const double*>(f.x->x);
  for (std::size_t node = 0; node < op.unknownOf.size(); ++node) {
    const int unknown = op.unknownOf[node];
    if (unknown >= 0) potential_V[node] = x[unknown];
  }
}

}  // namespace kelm::solver
