#include "source/solver/field/field_solver.h"

#include <cholmod.h>
#include <dlfcn.h>

#include <mutex>

#include "runtime/fp_traps.h"
#include "source/solver/field/field_operator.h"
#include "source/solver/field/nested_dissection.h"

namespace kelm::solver {
namespace {

// Every call into the factorization library runs under one of these.
//
// The serial BLAS underneath keeps one set of work buffers for the whole process and takes no
// lock on them: two factorizations or solves running at once in different threads overwrite
// each other's blocks and come out wrong, or not positive definite. So the calls take turns.
//
// The library's arithmetic is not ours to trap.
//
// The library also opens a parallel region for each block of the factor it clears, with more
// threads than a desktop has cores to spare; the regions cost more than the clearing, so the
// library's own threads are kept from starting. Its runtime is looked up rather than linked,
// as a build without one has nothing to hold back.
class LibraryTurn {
 public:
  LibraryTurn() : turn_(mutex()) {
    if (const Levels levels = parallelLevels(); levels.set) {
      savedLevels_ = levels.get();
      levels.set(0);
    }
  }
  ~LibraryTurn() {
    if (const Levels levels = parallelLevels(); levels.set) levels.set(savedLevels_);
  }
  LibraryTurn(const LibraryTurn&) = delete;
  LibraryTurn& operator=(const LibraryTurn&) = delete;

 private:
  struct Levels {
    void (*set)(int) = nullptr;
    int (*get)() = nullptr;
  };
  static Levels parallelLevels() {
    static const Levels levels = [] {
      Levels l;
      l.set = reinterpret_cast<void (*)(int)>(::dlsym(RTLD_DEFAULT, "omp_set_max_active_levels"));
      l.get = reinterpret_cast<int (*)()>(::dlsym(RTLD_DEFAULT, "omp_get_max_active_levels"));
      if (!l.get) l.set = nullptr;
      return l;
    }();
    return levels;
  }
  static std::mutex& mutex() {
    static std::mutex m;
    return m;
  }

  std::lock_guard<std::mutex> turn_;
  FloatingPointTrapsSuspended untrapped_;
  int savedLevels_ = 0;
};

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
    cholmod_sparse a = lowerTriangleView(op.matrix);
    const LibraryTurn turn;
    factor->cholesky = cholmod_analyze_p(&a, order.data(), nullptr, 0, &factor->common);
    if (!factor->cholesky || !cholmod_factorize(&a, factor->cholesky, &factor->common) ||
        factor->common.status != CHOLMOD_OK || factor->cholesky->minor < factor->cholesky->n) {
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
