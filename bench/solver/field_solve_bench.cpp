// The field solve of a 400 × 1200 node gun mesh: the factorization (assembly, ordering and
// factor together) and one back-substitution apart, beside a plain successive over-relaxation to
// the same residual and the other sparse factorizations that were weighed against ours.
#include <benchmark/benchmark.h>

#include <Eigen/CholmodSupport>
#include <Eigen/SparseCholesky>
#include <Eigen/UmfPackSupport>
#include <cmath>
#include <sys/resource.h>

#include "source/solver/field/field_operator.h"
#include "source/solver/field/field_solver.h"
#include "tests/solver/field/analytic_mesh.h"

namespace kelm::solver {
namespace {

// A spherical cathode inside a focusing cylinder, open ends: 400 × 1200 nodes.
const ClassifiedMesh& gunMesh() {
  static const ClassifiedMesh mesh = [] {
    const double h = 1e-4;
    return testing::quadricMesh(400, 1200, h, {-10000.0, 0.0},
                                {{0, 250 * h, 1, 1, 120 * h, true, 0}, {0, 0, 1, 0, 380.5 * h, false, 1}});
  }();
  return mesh;
}

const FieldOperator& gunOperator() {
  static const FieldOperator op = [] {
    FieldOperator o;
    std::string error;
    assembleFieldOperator(gunMesh(), o, error);
    return o;
  }();
  return op;
}

std::vector<double> gunCharge() { return std::vector<double>(gunMesh().nodeCount(), -1e-4); }

// The operator's assembly alone, which the factorization's figure includes.
void BM_FieldAssembly(benchmark::State& state) {
  gunMesh();
  for (auto _ : state) {
    FieldOperator op;
    std::string error;
    if (!assembleFieldOperator(gunMesh(), op, error)) state.SkipWithError(error.c_str());
    benchmark::DoNotOptimize(op.matrix.nonZeros());
  }
}
BENCHMARK(BM_FieldAssembly)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_FieldFactorization(benchmark::State& state) {
  gunMesh();  // built before the clock runs
  for (auto _ : state) {
    FieldSolver solver;
    std::string error;
    if (!solver.prepare(gunMesh(), error)) state.SkipWithError(error.c_str());
  }
}
BENCHMARK(BM_FieldFactorization)->Unit(benchmark::kMillisecond)->Iterations(3)->MeasureProcessCPUTime();

void BM_FieldSolve(benchmark::State& state) {
  FieldSolver solver;
  std::string error;
  if (!solver.prepare(gunMesh(), error)) state.SkipWithError(error.c_str());
  const std::vector<double> charge = gunCharge();
  std::vector<double> phi;
  for (auto _ : state) {
    solver.solve(charge, phi);
    benchmark::DoNotOptimize(phi.data());
  }
  // The process's peak so far: the mesh, the operator and one factor, as a solve holds them.
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024;
}
BENCHMARK(BM_FieldSolve)->Unit(benchmark::kMillisecond)->Iterations(20);

// Relative residual |b − Ax| / |b|.
double residual(const FieldOperator& op, const Eigen::VectorXd& b, const Eigen::VectorXd& x) {
  return (b - op.matrix * x).norm() / b.norm();
}

Eigen::VectorXd chargedRhs(const FieldOperator& op) {
  Eigen::VectorXd b = op.knownRhs;
  for (Eigen::Index k = 0; k < b.size(); ++k) b[k] += -1e-4 * op.chargeWeight[static_cast<std::size_t>(k)];
  return b;
}

// Plain SOR with the optimal factor of the model problem, to the residual of the direct solve
// (but at least 1e-12, below which the sweeps only stir rounding).
void BM_SuccessiveOverRelaxation(benchmark::State& state) {
  const FieldOperator& op = gunOperator();
  const Eigen::VectorXd b = chargedRhs(op);
  Eigen::CholmodSupernodalLLT<Eigen::SparseMatrix<double>> direct(op.matrix);
  const double target = std::max(residual(op, b, direct.solve(b)), 1e-12);
  const int n = static_cast<int>(b.size());
  const double omega = 2 / (1 + std::sin(M_PI / gunMesh().nz));
  int sweeps = 0;
  double reached = 0;
  for (auto _ : state) {
    Eigen::VectorXd x = Eigen::VectorXd::Zero(n);
    for (sweeps = 0; sweeps < 100000; ++sweeps) {
      // The operator is symmetric, so each column is also its row.
      for (int i = 0; i < n; ++i) {
        double sum = b[i], diagonal = 1;
        for (Eigen::SparseMatrix<double>::InnerIterator it(op.matrix, i); it; ++it) {
          if (it.row() == i)
            diagonal = it.value();
          else
            sum -= it.value() * x[it.row()];
        }
        x[i] += omega * (sum / diagonal - x[i]);
      }
      if (sweeps % 50 == 49 && (reached = residual(op, b, x)) <= target) break;
    }
  }
  state.counters["sweeps"] = sweeps + 1;
  state.counters["residual"] = reached;
  state.counters["target"] = target;
}
BENCHMARK(BM_SuccessiveOverRelaxation)->Unit(benchmark::kMillisecond)->Iterations(1);

// The alternatives, on the same matrix: factorization and one solve together.
template <typename Factor>
void factorAndSolve(benchmark::State& state) {
  const FieldOperator& op = gunOperator();
  const Eigen::VectorXd b = chargedRhs(op);
  for (auto _ : state) {
    Factor factor(op.matrix);
    // A factorization that gave up must not pass for a fast one.
    if (factor.info() != Eigen::Success) return state.SkipWithError("the factorization failed");
    Eigen::VectorXd x = factor.solve(b);
    benchmark::DoNotOptimize(x.data());
    state.counters["residual"] = residual(op, b, x);
  }
}
void BM_AlternativeUmfpackLU(benchmark::State& state) {
  factorAndSolve<Eigen::UmfPackLU<Eigen::SparseMatrix<double>>>(state);
}
void BM_AlternativeSimplicialLDLT(benchmark::State& state) {
  factorAndSolve<Eigen::SimplicialLDLT<Eigen::SparseMatrix<double>>>(state);
}
// The same supernodal factor in the library's own order (minimum degree), through Eigen.
void BM_AlternativeCholmodOwnOrder(benchmark::State& state) {
  factorAndSolve<Eigen::CholmodSupernodalLLT<Eigen::SparseMatrix<double>>>(state);
}
BENCHMARK(BM_AlternativeUmfpackLU)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_AlternativeSimplicialLDLT)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_AlternativeCholmodOwnOrder)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace kelm::solver
