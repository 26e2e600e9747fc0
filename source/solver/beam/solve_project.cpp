#include "source/solver/beam/solve_project.h"

#include <chrono>
#include <cmath>
#include <cstdio>

#include "source/project_files/file_hash.h"
#include "source/project_files/input_file.h"
#include "source/openpmd/openpmd_names.h"
#include "source/solver/beam/beam_file_content.h"
#include "source/solver/beam/cathode_table.h"
#include "source/solver/beam/current_accounting.h"
#include "source/solver/beam/magnetic_field_file.h"
#include "source/solver/beam/solve_figures.h"
#include "source/solver/beam/result_file.h"
#include "source/solver/field/equipotentials.h"
#include "source/solver/field/potential_map.h"
#include "source/solver/geometry/mesh_builder.h"
#include "source/solver/geometry/solver_input.h"

namespace kelm::solver {
namespace {

using projectfiles::FileHash;
using projectfiles::InputRead;

// Reads an input and notes its hash for the record; false, with the failure line, when it
// cannot be read (a missing klinput.dat is noted as absent by the caller).
InputRead readInput(const std::string& directory, const std::string& name, std::string& text,
                    std::vector<FileHash>& hashes, std::string& failure) {
  std::string why;
  const InputRead read = projectfiles::readInputFile(directory + "/" + name, kMaxInputBytes, text, why);
  if (read == InputRead::kOk) hashes.push_back({name, projectfiles::sha256Hex(text)});
  else failure = projectfiles::inputFailure(name, read, why);
  return read;
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
  std::vector<FileHash> inputs;
};

bool readInputs(Project& p, std::string& failure) {
  std::string text;
  Diagnostic d;
  const InputRead input = readInput(p.directory, "klinput.dat", text, p.inputs, failure);
  if (input == InputRead::kMissing) p.inputs.push_back({"klinput.dat", projectfiles::kAbsent});
  else if (input != InputRead::kOk) return false;
  if (input == InputRead::kOk && !parseSolverInput(text, p.input, d))
    return (failure = formatDiagnostic("klinput.dat", d), false);
  p.inputSummary = input == InputRead::kOk ? "klinput.dat: " + std::to_string(p.input.statements) + " statements read"
                                           : "klinput.dat not found: every default";
  if (const InputRead geometry = readInput(p.directory, "geom.cod", text, p.inputs, failure); geometry != InputRead::kOk) {
    if (geometry == InputRead::kMissing) failure = "geom.cod not found in this project";
    return false;
  }
  if (!parseGunDescription(text, p.gun, d) || !buildMesh(p.gun, p.mesh, d))
    return (failure = formatDiagnostic("geom.cod", d), false);
  const double zEnd = (p.mesh.nz - 1) * p.mesh.cell_m, step = p.mesh.cell_m / 4;
  if (!p.input.solenoids.empty()) {
    p.magnetic = AxialMagneticField::fromSolenoids(p.input.solenoids, 0, zEnd, step);
  } else if (!p.input.magneticFieldFile.empty()) {
    const std::string& name = p.input.magneticFieldFile;
    std::string why;
    if (const InputRead field = readInput(p.directory, name, text, p.inputs, failure); field != InputRead::kOk) {
      if (field == InputRead::kMissing) failure = name + " (klinput.dat's magfield) not found";
      return false;
    }
    if (!readMagneticField(text, 0, zEnd, step, p.magnetic, why)) return (failure = name + ": " + why, false);
  }
  return true;
}

BeamSettings beamSettings(const SolverInput& in, int threads) {
  BeamSettings s;
  s.trajectories = in.trajectories;
  s.spaceChargeLimited = in.spaceChargeLimited;
  s.emissionDensity_A_per_m2 = in.emissionDensity_A_per_cm2 * 1e4;
  s.layerDepth_m = in.emissionLayer_mm * 1e-3;
  s.thermionic = in.thermionic;
  s.workFunction_eV = in.workFunction_eV;
  s.richardson_A_per_m2K2 = in.richardson_A_per_m2K2;
  s.temperature_K = in.cathodeTemperature_K;
  s.thermalNodes = in.thermalNodes;
  s.iterations = in.iterations;
  s.relaxation = in.relaxation;
  s.tolerance = in.tolerance;
  s.threads = threads;
  return s;
}

// One row an iteration, as solve.csv holds them. The current's change is relative to this
// pass's current, against the pass before (1 on the first).
struct IterationRows {
  std::string csv =
      "iteration,current [A],perveance [uP],change,relaxation,time [s],current_change,density_change\n";
  double lastCurrent_A = 0;
  void add(const IterationReport& r, double seconds) {
    const double currentChange =
        r.iteration > 1 && r.current_A != 0 ? std::abs(r.current_A - lastCurrent_A) / std::abs(r.current_A) : 1.0;
    lastCurrent_A = r.current_A;
    csv += format("%d,%.9g,%.9g,%.6g,%.6g,%.6g,%.6g,%.6g\n", r.iteration, r.current_A, r.perveance_uP, r.change,
                  r.relaxation, seconds, currentChange, r.densityChange);
  }
};

// beam.h5 when klinput.dat or the caller asks for it, with the screens of both; else a
// beam.h5 of the last solve goes as obsolete.
bool addBeamFile(const Project& p, const std::vector<double>& potential, const BeamResult* beam,
                 const BeamFileRequest& request, std::vector<projectfiles::ResultFile>& files,
                 std::vector<std::string>& obsolete, std::string& failure) {
  if (!request.write && !p.input.openPMD) return obsolete.push_back(openpmd::kBeamFile), true;
  std::vector<double> screens = p.input.screens_mm;
  screens.insert(screens.end(), request.screens_mm.begin(), request.screens_mm.end());
  std::string bytes;
  if (!beamFileBytes(p.mesh, potential, p.magnetic, beam, screens, bytes, failure)) return false;
  files.push_back({openpmd::kBeamFile, std::move(bytes)});
  return true;
}

// Everything is computed before the first file is written, so a failure leaves the project as
// it was; the files are then committed together, the record last.
bool commitOutputs(const Project& p, const std::vector<double>& potential, const BeamResult* beam,
                   const IterationRows& rows, const SolveCommit& commit, const BeamFileRequest& beamFile,
                   projectfiles::SolveRecord record,
                   const SolveProgress& progress, std::string& failure) {
  std::string error, potmap, pot;
  const std::vector<double> levels = p.input.levels_V.empty() ? defaultEquipotentialLevels(p.mesh) : p.input.levels_V;
  if (!potentialMapBytes(p.mesh, potential, potmap, error) || !equipotentialText(p.mesh, potential, levels, pot, error))
    return (failure = error, false);
  std::vector<projectfiles::ResultFile> files = commit.files;
  files.push_back({"pot.dat", std::move(pot)});
  files.push_back({"potmap.dat", std::move(potmap)});
  std::vector<std::string> obsolete;
  const double zEnd = (p.mesh.nz - 1) * p.mesh.cell_m;
  if (!p.input.solenoids.empty()) files.push_back({"mag.dat", magneticFieldText(p.magnetic, 0, zEnd)});
  else obsolete.push_back("mag.dat");
  if (beam) {
    files.push_back({"klplt.res", resultFileBytes(*beam, p.mesh.cell_m)});
    files.push_back({projectfiles::kCathodeFile, cathodeTable(beam->trajectories)});
  } else {
    obsolete.push_back("klplt.res");
    obsolete.push_back(projectfiles::kCathodeFile);
  }
  files.push_back({projectfiles::kIterationFile, rows.csv});
  if (!addBeamFile(p, potential, beam, beamFile, files, obsolete, failure)) return false;
  const bool wroteBeamFile = files.back().name == openpmd::kBeamFile;
  if (!projectfiles::commitResults(p.directory, files, obsolete, std::move(record), failure, commit.beforeRename))
    return false;
  progress(format("pot.dat written: %zu equipotential levels", levels.size()));
  progress("potmap.dat written");
  if (!p.input.solenoids.empty()) progress(format("mag.dat written: the field of %zu solenoids", p.input.solenoids.size()));
  if (beam) {
    const std::size_t rays = beam->trajectories.size(), kept = std::min(rays, std::size_t(kMaxTrajectories));
    progress(kept < rays ? format("klplt.res written: %zu of %zu trajectories", kept, rays)
                         : format("klplt.res written: %zu trajectories", rays));
  }
  if (wroteBeamFile) progress("beam.h5 written: the fields and the beam in the openPMD layout");
  return true;
}

// A failure's record, so that a scan reads why; the results before it stay as they were.
SolveOutcome failed(const Project& p, SolveOutcome outcome) {
  projectfiles::SolveRecord record;
  record.failure = outcome.failure;
  record.inputs = p.inputs;
  std::string ignored;  // the failure already says what went wrong
  projectfiles::recordFailure(p.directory, std::move(record), ignored);
  return outcome;
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

SolveOutcome solveProject(const std::string& directory, const SolveProgress& asked, int threads,
                          const SolveCommit& commit, const BeamFileRequest& beamFile) {
  bool stopped = false;
  const SolveProgress progress = [&](const std::string& line) { return !(stopped = stopped || !asked(line)); };
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  const auto since = [&](Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); };
  SolveOutcome outcome;
  Project p;
  p.directory = directory.empty() ? "." : directory;
  if (!readInputs(p, outcome.failure)) return failed(p, outcome);
  for (const std::string& line : gunSummary(p.gun)) progress(line);
  progress(p.inputSummary);
  FieldSolver field;
  std::string error;
  const auto fieldStart = Clock::now();
  if (!field.prepare(p.mesh, error)) {
    outcome.failure = "field not solved: " + error;
    return failed(p, outcome);
  }
  std::vector<double> potential;
  field.solve({}, potential);
  progress(format("Vacuum field of %zu nodes solved in %.3f s", p.mesh.nodeCount(), since(fieldStart)));
  CathodeShape cathode;
  BeamResult beam;
  IterationRows rows;
  projectfiles::SolveRecord record;
  record.status = projectfiles::SolveStatus::kVacuum;
  if (p.gun.cathode.shape == CathodeSurface::Shape::kNone) {
    progress("geom.cod marks no emitting segment: no beam");
  } else if (!p.input.traces) {
    progress("klinput.dat says emission none: the vacuum field only");
  } else {
    if (!cathodeOf(p.gun, p.mesh, cathode, error)) {
      outcome.failure = error;
      return failed(p, outcome);
    }
    const double voltage = acceleratingVoltage(p.mesh, cathode.potential_V);
    const BeamSettings settings = beamSettings(p.input, threads);
    auto report = [&](const IterationReport& r) {
      rows.add(r, since(start));
      return progress(format("Iteration %3d: current %.6g A, perveance %.5g uP at %.6g V, change %.3g", r.iteration,
                             r.current_A, r.perveance_uP, voltage, r.change));
    };
    if (!solveBeam(p.mesh, field, cathode, p.magnetic, settings, {}, report, beam, error)) {
      outcome.failure = error;
      return failed(p, outcome);
    }
    potential = beam.potential_V;
    outcome.beam = true;
    outcome.iterations = beam.iterations;
    outcome.converged = beam.converged;
    outcome.finalChange = beam.change;
    if (!beam.converged)
      progress(format("Not converged after %d iterations (change %.3g)", beam.iterations, beam.change));
    outcome.current_A = beam.current_A;
    outcome.perveance_uP = beam.perveance_uP;
    outcome.times = beam.times;
    record.status = beam.converged ? projectfiles::SolveStatus::kSolved : projectfiles::SolveStatus::kNotConverged;
    record.voltage_V = voltage;
  }
  if (stopped) return (outcome.stopped = true, outcome.failure = "stopped", outcome);
  const CurrentAccount account = outcome.beam ? accountCurrent(p.mesh, beam.trajectories) : CurrentAccount{};
  SolveFigures figures = solveFigures(p.gun, surfaceField(p.gun, p.mesh, potential), outcome.beam ? &account : nullptr,
                                      p.input.surfaceFieldLimit_kV_per_mm);
  for (const std::string& line : figures.lines) progress(line);
  outcome.surfaceWarning = figures.warning;
  record.figures = std::move(figures.rows);
  outcome.seconds = since(start);
  record.iterations = outcome.iterations;
  record.converged = outcome.converged;
  record.finalChange = outcome.finalChange;
  record.current_A = outcome.current_A;
  record.perveance_uP = outcome.perveance_uP;
  record.seconds = outcome.seconds;
  record.field_s = outcome.times.field_s;
  record.tracing_s = outcome.times.tracing_s;
  record.deposition_s = outcome.times.deposition_s;
  record.inputs = p.inputs;
  if (!commitOutputs(p, potential, outcome.beam ? &beam : nullptr, rows, commit, beamFile, std::move(record),
                     progress, outcome.failure))
    return failed(p, outcome);
  outcome.solved = true;
  return outcome;
}

}  // namespace kelm::solver
