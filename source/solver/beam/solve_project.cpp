#include "source/solver/beam/solve_project.h"

#include <chrono>
#include <cstdio>
#include <fstream>

#include "runtime/whole_file.h"
#include "source/solver/beam/magnetic_field_file.h"
#include "source/solver/beam/result_file.h"
#include "source/solver/field/equipotentials.h"
#include "source/solver/field/potential_map.h"
#include "source/solver/geometry/mesh_builder.h"
#include "source/solver/geometry/solver_input.h"

namespace kelm::solver {
namespace {

enum class Read { kOk, kMissing, kTooLong };

Read readText(const std::string& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return Read::kMissing;
  text.assign(kMaxInputBytes + 1, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  if (in.bad()) return Read::kMissing;
  text.resize(static_cast<std::size_t>(in.gcount()));
  return text.size() > kMaxInputBytes ? Read::kTooLong : Read::kOk;
}

std::string format(const char* pattern, auto... values) {
  char line[200];
  std::snprintf(line, sizeof line, pattern, values...);
  return line;
}

struct Project {
  std::string directory;
  SolverInput input;
  GunDescription gun;
  ClassifiedMesh mesh;
  AxialMagneticField magnetic;
  std::string inputSummary;

  std::string path(const std::string& name) const { return directory + "/" + name; }
};

bool readInputs(Project& p, std::string& failure) {
  std::string text;
  Diagnostic d;
  const Read input = readText(p.path("klinput.dat"), text);
  if (input == Read::kTooLong) return (failure = "klinput.dat is too long", false);
  if (input == Read::kOk && !parseSolverInput(text, p.input, d))
    return (failure = formatDiagnostic("klinput.dat", d), false);
  p.inputSummary = input == Read::kOk ? "klinput.dat: " + std::to_string(p.input.statements) + " statements read"
                                      : "klinput.dat not found: every default";
  if (readText(p.path("geom.cod"), text) != Read::kOk) return (failure = "geom.cod not found in this project", false);
  if (!parseGunDescription(text, p.gun, d) || !buildMesh(p.gun, p.mesh, d))
    return (failure = formatDiagnostic("geom.cod", d), false);
  const double zEnd = (p.mesh.nz - 1) * p.mesh.cell_m, step = p.mesh.cell_m / 4;
  if (!p.input.solenoids.empty()) {
    p.magnetic = AxialMagneticField::fromSolenoids(p.input.solenoids, 0, zEnd, step);
  } else if (!p.input.magneticFieldFile.empty()) {
    const std::string& name = p.input.magneticFieldFile;
    std::string why;
    if (readText(p.path(name), text) != Read::kOk) return (failure = name + " (klinput.dat's magfield) not found", false);
    if (!readMagneticField(text, 0, zEnd, step, p.magnetic, why)) return (failure = name + ": " + why, false);
  }
  return true;
}

BeamSettings beamSettings(const SolverInput& in, int threads) {
  BeamSettings s;
  s.trajectories = in.trajectories;
  s.spaceChargeLimited = in.spaceChargeLimited;
  s.emissionDensity_A_per_m2 = in.emissionDensity_A_per_cm2 * 1e4;
  s.iterations = in.iterations;
  s.relaxation = in.relaxation;
  s.tolerance = in.tolerance;
  s.threads = threads;
  return s;
}

// Everything is computed before the first file is written, so a failure leaves the project as
// it was; the files are then written one by one, each whole.
bool writeOutputs(const Project& p, const std::vector<double>& potential, const BeamResult* beam,
                  const SolveProgress& progress, std::string& failure) {
  std::string error;
  const std::vector<double> levels = p.input.levels_V.empty() ? defaultEquipotentialLevels(p.mesh) : p.input.levels_V;
  if (!writePotentialMap(p.path("potmap.dat"), p.mesh, potential, error) ||
      !writeEquipotentials(p.path("pot.dat"), p.mesh, potential, levels, error))
    return (failure = error, false);
  progress(format("pot.dat written: %zu equipotential levels", levels.size()));
  progress("potmap.dat written");
  if (!p.input.solenoids.empty()) {
    const double zEnd = (p.mesh.nz - 1) * p.mesh.cell_m;
    if (!runtime::writeWholeFile(p.path("mag.dat"), magneticFieldText(p.magnetic, 0, zEnd), error))
      return (failure = error, false);
    progress(format("mag.dat written: the field of %zu solenoids", p.input.solenoids.size()));
  }
  if (beam) {
    if (!runtime::writeWholeFile(p.path("klplt.res"), resultFileBytes(*beam, p.mesh.cell_m), error))
      return (failure = error, false);
    progress(format("klplt.res written: %zu trajectories", beam->trajectories.size()));
  }
  return true;
}

}  // namespace

std::vector<std::string> gunSummary(const GunDescription& gun) {
  const MeshExtent& m = gun.mesh;
  std::string electrodes = "Electrodes: " + std::to_string(gun.electrodes.size());
  const char* separator = " (";
  for (const auto& e : gun.electrodes) {
    electrodes += separator + e.name + format(" %.6g V", e.potential_V);
    separator = ", ";
  }
  return {"geom.cod: " + std::to_string(gun.statements) + " statements read",
          format("Mesh: %d x %d nodes (r x z), cell %.6g mm (%.4f nodes per mm), r to %.6g mm, z to %.6g mm", m.nr,
                 m.nz, m.cell_mm, m.nodesPerMm, m.rExtent_mm, m.zExtent_mm),
          electrodes + ")"};
}

SolveOutcome solveProject(const std::string& directory, const SolveProgress& progress, int threads) {
  const auto start = std::chrono::steady_clock::now();
  SolveOutcome outcome;
  Project p;
  p.directory = directory.empty() ? "." : directory;
  if (!readInputs(p, outcome.failure)) return outcome;
  for (const std::string& line : gunSummary(p.gun)) progress(line);
  progress(p.inputSummary);
  FieldSolver field;
  std::string error;
  const auto fieldStart = std::chrono::steady_clock::now();
  if (!field.prepare(p.mesh, error)) {
    outcome.failure = "field not solved: " + error;
    return outcome;
  }
  std::vector<double> potential;
  field.solve({}, potential);
  progress(format("Vacuum field of %zu nodes solved in %.3f s", p.mesh.nodeCount(),
                  std::chrono::duration<double>(std::chrono::steady_clock::now() - fieldStart).count()));
  CathodeShape cathode;
  BeamResult beam;
  if (p.gun.cathode.shape == CathodeSurface::Shape::kNone) {
    progress("geom.cod marks no emitting segment: no beam");
  } else {
    if (!cathodeOf(p.gun, p.mesh, cathode, error)) {
      outcome.failure = error;
      return outcome;
    }
    const double voltage = acceleratingVoltage(p.mesh, cathode.potential_V);
    auto report = [&](const IterationReport& r) {
      return progress(format("Iteration %3d: current %.6g A, perveance %.5g uP at %.6g V, change %.3g", r.iteration,
                             r.current_A, r.perveance_uP, voltage, r.change));
    };
    if (!solveBeam(p.mesh, field, cathode, p.magnetic, beamSettings(p.input, threads), {}, report, beam, error)) {
      outcome.failure = error;
      return outcome;
    }
    potential = beam.potential_V;
    outcome.beam = true;
    outcome.iterations = beam.iterations;
    outcome.converged = beam.converged;
    outcome.current_A = beam.current_A;
    outcome.perveance_uP = beam.perveance_uP;
    outcome.times = beam.times;
  }
  if (!writeOutputs(p, potential, outcome.beam ? &beam : nullptr, progress, outcome.failure)) return outcome;
  outcome.solved = true;
  outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return outcome;
}

}  // namespace kelm::solver
