#pragma once
// The self-consistent beam: emit, trace, deposit the charge, solve the field again with the
// emitted density and the charge under-relaxed, until the emission the field allows and the
// potential settle (docs/method.md, "The iteration").

#include <functional>
#include <span>
#include <string>
#include <vector>

#include "source/solver/beam/axial_magnetic_field.h"
#include "source/solver/beam/cathode_emitter.h"
#include "source/solver/beam/cathode_profile.h"
#include "source/solver/beam/thermal_rays.h"
#include "source/solver/beam/trajectory_tracer.h"
#include "source/solver/field/field_solver.h"
#include "source/solver/geometry/solver_input.h"
#include "source/solver/mesh.h"

namespace kelm::solver {

// The emission layer is never thinner than this many cells: across it the field is resolved.
inline constexpr double kMinLayerCells = 1;

struct BeamSettings {
  int trajectories = 12;
  bool spaceChargeLimited = true;
  double emissionDensity_A_per_m2 = 0;  // temperature limited only, unless thermionic
  // Richardson–Dushman with Schottky lowering in place of a fixed density.
  bool thermionic = false;
  double workFunction_eV = 0, richardson_A_per_m2K2 = 0, temperature_K = 0;
  // Above 0 K each site launches thermalRays(temperature_K, thermalNodes).
  int thermalNodes = 2;
  int iterations = 100;
  double relaxation = 0.5;              // at most; lowered when the change stalls
  double tolerance = 1e-3;
  int threads = 0;                      // 0: one per core
  // The emission layer's depth: a length of the gun, so that the start does not move with the
  // mesh, but never under kMinLayerCells cells, across which the field is resolved.
  double layerDepth_m = 0.6e-3;
  TraceSettings trace;
};

// One ray of a site: the rays of a site follow one another in BeamResult::trajectories.
struct BeamTrajectory {
  EmissionSite site;
  double density_A_per_m2 = 0;  // the mean over the site's share
  double current_A = 0;         // the ray's part of the site's
  double layerPotential_V = 0;  // above the cathode, at the layer's surface
  double limit_A_per_m2 = 0;    // what the emission mode allows at the site, in the field traced
  std::vector<TubePart> tube;   // the share's parts the charge is spread over
  Trace trace;  // from the layer's surface; empty when nothing is emitted
  ThermalRay ray;
};

struct IterationReport {
  int iteration = 0;
  double current_A = 0;
  double perveance_uP = 0;
  // The larger of: the current of |allowed − emitted density| over the cathode relative to the
  // total, and the potential's step over the accelerating voltage divided by the relaxation.
  double change = 0;
  double densityChange = 0;  // the first of those two alone (1 on the first pass)
  double relaxation = 0;  // the step this pass took toward the new charge
};

struct BeamTimes {
  double field_s = 0, tracing_s = 0, deposition_s = 0;
};

struct BeamResult {
  std::vector<BeamTrajectory> trajectories;
  int raysPerSite = 1;  // 1 until the thermal rays join the iteration
  std::vector<double> potential_V;          // with the beam's charge
  std::vector<double> chargeDensity;        // C/m³, as last used in the field
  int iterations = 0;
  bool converged = false;
  double change = 0;  // of the last iteration
  double current_A = 0;
  double perveance_uP = 0;
  BeamTimes times;
};

// Called after every iteration; returning false stops the iteration there.
using IterationProgress = std::function<bool(const IterationReport&)>;

// The field solver must be prepared for the mesh. initialCharge (C/m³ per node, or empty)
// resumes from an earlier solution. False, with the reason, when the beam cannot be computed.
bool solveBeam(const ClassifiedMesh& mesh, const FieldSolver& field, const CathodeShape& cathode,
               const AxialMagneticField& magnetic, const BeamSettings& settings,
               std::span<const double> initialCharge, const IterationProgress& progress,
               BeamResult& result, std::string& error);

// The accelerating voltage: the highest electrode or held edge above the cathode.
double acceleratingVoltage(const ClassifiedMesh& mesh, double cathodePotential_V);

}  // namespace kelm::solver
