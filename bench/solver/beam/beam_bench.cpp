// The self-consistent beam of the bundled guns: the full example at its 1000 trajectories and
// 25 iterations, on every core and on one, with the field solves, the tracing and the
// deposition reported apart; and the simple example as it ships.
#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>
#include <string>

#include "source/solver/beam/magnetic_field_file.h"
#include "source/solver/beam/beam_iteration.h"
#include "source/solver/geometry/mesh_builder.h"
#include "source/solver/geometry/solver_input.h"

namespace kelm::solver {
namespace {

std::string exampleFile(const std::string& project, const std::string& name) {
  std::ifstream in(std::string(KELM_EXAMPLES_DIR) + "/" + project + "/" + name, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

struct ExampleGun {
  GunDescription gun;
  ClassifiedMesh mesh;
  SolverInput input;
  FieldSolver field;
  CathodeShape cathode;
  AxialMagneticField magnetic;

  bool load(const std::string& project, std::string& error) {
    Diagnostic d;
    if (!parseGunDescription(exampleFile(project, "geom.cod"), gun, d) || !buildMesh(gun, mesh, d) ||
        !parseSolverInput(exampleFile(project, "klinput.dat"), input, d)) {
      error = formatDiagnostic(project, d);
      return false;
    }
    const double zEnd = (mesh.nz - 1) * mesh.cell_m;
    if (!readMagneticField(exampleFile(project, "mag.dat"), 0, zEnd, mesh.cell_m / 4, magnetic, error)) return false;
    return field.prepare(mesh, error) && cathodeOf(gun, mesh, cathode, error);
  }
};

void solve(benchmark::State& state, const char* project, bool allIterations) {
  ExampleGun g;
  std::string error;
  if (!g.load(project, error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  BeamSettings settings;
  settings.trajectories = g.input.trajectories;
  settings.iterations = g.input.iterations;
  settings.relaxation = g.input.relaxation;
  settings.tolerance = allIterations ? 0.0 : g.input.tolerance;
  settings.threads = static_cast<int>(state.range(0));
  BeamTimes total;
  int iterations = 0;
  for (auto _ : state) {
    BeamResult result;
    if (!solveBeam(g.mesh, g.field, g.cathode, g.magnetic, settings, {}, nullptr, result, error)) {
      state.SkipWithError(error.c_str());
      return;
    }
    total.field_s += result.times.field_s;
    total.tracing_s += result.times.tracing_s;
    total.deposition_s += result.times.deposition_s;
    iterations = result.iterations;
    benchmark::DoNotOptimize(result.current_A);
  }
  const double runs = static_cast<double>(state.iterations());
  state.counters["field_s"] = total.field_s / runs;
  state.counters["tracing_s"] = total.tracing_s / runs;
  state.counters["deposition_s"] = total.deposition_s / runs;
  state.counters["iterations"] = iterations;
  state.counters["trajectories"] = settings.trajectories;
}

void FullExample(benchmark::State& state) { solve(state, "full", true); }
void SimpleExample(benchmark::State& state) { solve(state, "simple", false); }

// Threads: 0 is one per core, 1 the single-threaded run beside it.
BENCHMARK(FullExample)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(SimpleExample)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace kelm::solver
BENCHMARK_MAIN();
