#include "source/solver/beam/beam_iteration.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>

#include "source/solver/beam/emission_layer.h"
#include "source/solver/beam/space_charge.h"

namespace kelm::solver {
namespace {
using Clock = std::chrono::steady_clock;

double since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

struct Emitter {
  const ClassifiedMesh& mesh;
  const CathodeShape& cathode;
  const AxialMagneticField& magnetic;
  const BeamSettings& settings;

  double depth() const { return settings.layerCells * mesh.cell_m; }
  double relaxation() const { return std::clamp(settings.relaxation, 1e-3, 1.0); }

  // The emission at one site in the present field, and its trajectory from the layer on.
  void emit(const PotentialField& field, BeamTrajectory& t) const {
    const EmissionSite& s = t.site;
    const double d = depth();
    const double rs = s.r_m + d * s.nr, zs = s.z_m + d * s.nz;
    t.trace = Trace{};
    const double before = t.density_A_per_m2;
    t.density_A_per_m2 = 0;
    t.current_A = 0;
    t.layerPotential_V = 0;
    if (!field.withinMesh(rs, zs) || field.insideElectrode(rs, zs)) return;
    const double vs = field.at(rs, zs).phi_V - cathode.potential_V;
    // Child's law steers the charge near the cathode steeply; relaxing the density as well as
    // the charge keeps the iteration from swinging about the solution.
    t.density_A_per_m2 = settings.spaceChargeLimited ? childDensity(vs, d) : settings.emissionDensity_A_per_m2;
    if (before > 0) t.density_A_per_m2 = before + relaxation() * (t.density_A_per_m2 - before);
    if (!(vs > 0) || t.density_A_per_m2 <= 0) {
      t.density_A_per_m2 = 0;
      return;
    }
    t.current_A = t.density_A_per_m2 * s.area_m2;
    t.layerPotential_V = vs;
    ParticleStart start;
    start.r_m = rs;
    start.z_m = zs;
    start.cathodeFlux_Wb = magneticFlux(magnetic, s.r_m, s.z_m);
    // The rotation the flux change across the layer gives takes its share of the energy.
    const double u = momentumAfter(vs), uth = azimuthalMomentum(magnetic, rs, zs, start.cathodeFlux_Wb);
    const double along = std::sqrt(std::max(u * u - uth * uth, 0.0));
    start.ur = along * s.nr;
    start.uz = along * s.nz;
    start.dirR = s.nr;
    start.dirZ = s.nz;
    t.trace = traceParticle(field, magnetic, start, settings.trace);
  }

  void deposit(const BeamTrajectory& t, SpaceCharge& charge) const {
    if (t.current_A <= 0 || t.trace.points.empty()) return;
    const EmissionSite& s = t.site;
    const double d = depth();
    const double transit = layerTransitTime(t.layerPotential_V, d);
    for (int k = 0; k < kLayerSteps; ++k) {
      const LayerStep step = layerStep(k);
      charge.deposit(s.r_m + step.depthFraction * d * s.nr, s.z_m + step.depthFraction * d * s.nz,
                     t.current_A, step.timeFraction * transit);
    }
    // Trapezoidal in time: each step leaves half its charge at either end.
    const auto& p = t.trace.points;
    for (std::size_t k = 1; k < p.size(); ++k) {
      const double half = (p[k].t_s - p[k - 1].t_s) / 2;
      charge.deposit(p[k - 1].r_m, p[k - 1].z_m, t.current_A, half);
      charge.deposit(p[k].r_m, p[k].z_m, t.current_A, half);
    }
  }

};

void traceAll(const Emitter& emitter, const PotentialField& field, int threads,
              std::vector<BeamTrajectory>& trajectories) {
  std::atomic<std::size_t> next{0};
  auto work = [&] {
    for (std::size_t i = next++; i < trajectories.size(); i = next++) emitter.emit(field, trajectories[i]);
  };
  const int count = std::clamp(threads, 1, 64);
  std::vector<std::jthread> pool;
  for (int k = 1; k < count; ++k) pool.emplace_back(work);
  work();
}

double maxChange(std::span<const double> a, std::span<const double> b) {
  double m = 0;
  for (std::size_t k = 0; k < a.size() && k < b.size(); ++k) m = std::max(m, std::fabs(a[k] - b[k]));
  return m;
}

}  // namespace

double acceleratingVoltage(const ClassifiedMesh& mesh, double cathodePotential_V) {
  double top = cathodePotential_V;
  for (double v : mesh.electrodePotential_V) top = std::max(top, v);
  for (const EdgeCondition* e : {&mesh.rMaxEdge, &mesh.zMinEdge, &mesh.zMaxEdge})
    if (e->held) top = std::max(top, e->potential_V);
  return top - cathodePotential_V;
}

bool solveBeam(const ClassifiedMesh& mesh, const FieldSolver& field, const CathodeShape& cathode,
               const AxialMagneticField& magnetic, const BeamSettings& settings,
               std::span<const double> initialCharge, const IterationProgress& progress,
               BeamResult& result, std::string& error) {
  result = BeamResult{};
  const double voltage = acceleratingVoltage(mesh, cathode.potential_V);
  if (!(voltage > 0)) {
    error = "no electrode lies above the cathode's potential, so nothing is emitted";
    return false;
  }
  if (!initialCharge.empty() && initialCharge.size() != mesh.nodeCount()) {
    error = "the earlier charge does not fit this mesh";
    return false;
  }
  const Emitter emitter{mesh, cathode, magnetic, settings};
  const int threads = settings.threads > 0 ? settings.threads
                                           : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  for (const EmissionSite& s : emissionSites(cathode, settings.trajectories)) result.trajectories.push_back({s, 0, 0, 0, {}});
  result.chargeDensity.assign(mesh.nodeCount(), 0.0);
  if (!initialCharge.empty()) result.chargeDensity.assign(initialCharge.begin(), initialCharge.end());
  auto start = Clock::now();
  field.solve(result.chargeDensity, result.potential_V);
  result.times.field_s += since(start);
  if (result.potential_V.size() != mesh.nodeCount()) {
    error = "the field solver is not prepared for this mesh";
    return false;
  }
  SpaceCharge charge(mesh);
  std::vector<double> previousPotential;
  double previousCurrent = 0;
  const double omega = emitter.relaxation();
  for (int iteration = 1; iteration <= std::max(settings.iterations, 1); ++iteration) {
    start = Clock::now();
    const BeamSelfField selfField = beamSelfField(mesh, result.trajectories);
    traceAll(emitter, PotentialField(mesh, result.potential_V, &selfField), threads, result.trajectories);
    result.times.tracing_s += since(start);

    start = Clock::now();
    charge.clear();
    double current = 0;
    for (const BeamTrajectory& t : result.trajectories) {  // in order: the sum does not depend on threads
      emitter.deposit(t, charge);
      current += t.current_A;
    }
    const std::vector<double> fresh = charge.density();
    for (std::size_t n = 0; n < fresh.size(); ++n) result.chargeDensity[n] += omega * (fresh[n] - result.chargeDensity[n]);
    result.times.deposition_s += since(start);

    start = Clock::now();
    previousPotential.swap(result.potential_V);
    field.solve(result.chargeDensity, result.potential_V);
    result.times.field_s += since(start);

    IterationReport report;
    report.iteration = iteration;
    report.current_A = current;
    report.perveance_uP = current / std::pow(voltage, 1.5) * 1e6;
    const double currentChange = current > 0 ? std::fabs(current - previousCurrent) / current : 0.0;
    report.change = std::max(currentChange, maxChange(previousPotential, result.potential_V) / voltage);
    previousCurrent = current;
    result.iterations = iteration;
    result.current_A = current;
    result.perveance_uP = report.perveance_uP;
    const bool settled = iteration > 1 && report.change < settings.tolerance;
    if (progress && !progress(report)) break;
    if (settled) {
      result.converged = true;
      break;
    }
  }
  return true;
}

}  // namespace kelm::solver
