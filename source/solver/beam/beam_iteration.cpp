#include "source/solver/beam/beam_iteration.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <limits>
#include <thread>

#include "source/solver/beam/emission_layer.h"
#include "source/solver/beam/space_charge.h"
#include "source/solver/physical_constants.h"
#include "source/solver/solver_checks.h"

namespace kelm::solver {
namespace {
using Clock = std::chrono::steady_clock;

double since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// From the trajectories of the last pass with their currents, for the tracer of the next.
BeamSelfField beamSelfField(const ClassifiedMesh& mesh, const std::vector<BeamTrajectory>& beam) {
  BeamSelfField field(mesh);
  for (const BeamTrajectory& t : beam) field.add(t.trace, t.current_A);
  field.finish();
  return field;
}

struct Emitter {
  const ClassifiedMesh& mesh;
  const CathodeShape& cathode;
  const AxialMagneticField& magnetic;
  const BeamSettings& settings;
  double voltage_V;

  double depth() const { return std::max(settings.layerDepth_m, kMinLayerCells * mesh.cell_m); }
  // The planar gap for Child's law across the layer.
  double childDepth() const { return childGap(depth(), cathode.spherical ? cathode.radius_m : 0.0); }

  // Whether the layer's surface over p lies in the free mesh, and its potential above the
  // cathode there (0 where it lies below).
  bool layerFree(const PotentialField& field, const SurfacePoint& p) const {
    const double rs = p.r_m + depth() * p.nr, zs = p.z_m + depth() * p.nz;
    return field.withinMesh(rs, zs) && !field.insideElectrode(rs, zs);
  }
  double layerPotential(const PotentialField& field, const SurfacePoint& p) const {
    if (!layerFree(field, p)) return 0.0;
    return std::max(field.at(p.r_m + depth() * p.nr, p.z_m + depth() * p.nz).phi_V - cathode.potential_V, 0.0);
  }

  // What the cathode could give at p without space charge; 0: no such limit.
  double temperatureLimit(const PotentialField& field, const SurfacePoint& p) const {
    if (settings.spaceChargeLimited) return 0.0;
    if (!settings.thermionic) return settings.emissionDensity_A_per_m2;
    const FieldPoint e = field.at(p.r_m, p.z_m);
    return thermionicDensity(settings.temperature_K, settings.workFunction_eV, settings.richardson_A_per_m2K2,
                             -(e.er_V_per_m * p.nr + e.ez_V_per_m * p.nz));
  }
  static double limited(double temperatureLimit, double spaceChargeLimit) {
    return temperatureLimit > 0 ? limitedDensity(temperatureLimit, spaceChargeLimit) : spaceChargeLimit;
  }
  double estimated(const PotentialField& vacuum, const SurfacePoint& p) const {
    return limited(temperatureLimit(vacuum, p), vacuumEstimate(layerPotential(vacuum, p), childDepth(), voltage_V));
  }

  // The site's current from the profile over its share, and its trajectory from the layer on.
  void emit(const PotentialField& field, const CathodeProfile& profile, BeamTrajectory& t) const {
    const EmissionSite& s = t.site;
    t.trace = Trace{};
    t.tube = profile.tube(s);
    const double siteCurrent = layerFree(field, s) ? profile.current(s.from_m, s.to_m) : 0.0;
    t.density_A_per_m2 = siteCurrent / s.area_m2;
    t.current_A = siteCurrent * t.ray.weight;
    // The layer's charge and the start speed take at least the Child flow of the density
    // emitted: the field is the last pass's, and a layer potential that space charge has
    // pressed down by then would lay more charge still where it was already too much. Nor
    // does a site stop emitting at once where that field holds electrons back: the density
    // falls by relaxation, so the iteration has no step to swing about.
    t.layerPotential_V = std::max(layerPotential(field, s), childPotential(t.density_A_per_m2, childDepth()));
    t.limit_A_per_m2 = limited(temperatureLimit(field, s), childDensity(layerPotential(field, s), childDepth()));
    KELM_ASSERT(std::isfinite(t.current_A) && t.current_A >= 0);
    for (const TubePart& part : t.tube) KELM_ASSERT(std::isfinite(part.fraction));
    if (!(t.current_A > 0)) {
      t.current_A = t.density_A_per_m2 = 0;
      return;
    }
    TraceSettings trace = settings.trace;
    trace.energyScale_eV = voltage_V;
    t.trace = traceParticle(field, magnetic, start(s, t.layerPotential_V, t.ray), trace);
  }

  // Where and how a ray leaves the layer. Across it the field is along the normal, so the
  // tangential velocity carries the ray sideways for the layer's transit time; the flux change
  // across it gives the rotation its share of the energy, and so does the thermal energy.
  ParticleStart start(const EmissionSite& s, double layerPotential_V, const ThermalRay& ray) const {
    const double d = depth(), drift = kSpeedOfLight_m_per_s * layerTransitTime(layerPotential_V, d);
    // The meridional plane's radial direction at the site is x, the azimuth y.
    const double x = s.r_m + d * s.nr + drift * ray.tangential * s.tr, y = drift * ray.azimuthal;
    ParticleStart p;
    p.r_m = y == 0 ? x : std::hypot(x, y);
    p.z_m = s.z_m + d * s.nz + drift * ray.tangential * s.tz;
    p.cathodeFlux_Wb = magneticFlux(magnetic, s.r_m, s.z_m);
    p.angularMomentum_m = s.r_m * ray.azimuthal;
    const double thermal_V = (ray.tangential * ray.tangential + ray.azimuthal * ray.azimuthal +
                              ray.normal * ray.normal) / 2 * kElectronRestEnergy_eV;
    const double u = momentumAfter(layerPotential_V + thermal_V);
    const double uth = azimuthalMomentum(magnetic, p.r_m, p.z_m, p.cathodeFlux_Wb) +
                       (y == 0 ? 0.0 : p.angularMomentum_m / p.r_m);
    // The direction in the meridional plane: the normal with the tangential part, the radial
    // component turned to the start's azimuth.
    double dr = s.nr, dz = s.nz;
    if (ray.tangential != 0 || ray.azimuthal != 0) {
      const double cold = momentumAfter(layerPotential_V), normal = std::sqrt(cold * cold + ray.normal * ray.normal);
      const double ux = normal * s.nr + ray.tangential * s.tr, uz = normal * s.nz + ray.tangential * s.tz;
      const double ur = (ux * x + ray.azimuthal * y) / p.r_m, length = std::hypot(ur, uz);
      dr = ur / length;
      dz = uz / length;
    }
    const double meridional = std::sqrt(std::max(u * u - uth * uth, 0.0));
    p.ur = meridional * dr;
    p.uz = meridional * dz;
    p.dirR = s.nr;
    p.dirZ = s.nz;
    return p;
  }

  // The charge of a stretch of the tube about (r, z), the trajectory moving along (ur, uz):
  // spread over the tube, its parts where they left the cathode, turned as the trajectory has
  // turned since and scaled with the radius, as in a laminar flow. Exact for the planar and
  // the spherical diode.
  void depositAcross(const BeamTrajectory& t, double r, double z, double ur, double uz, double dt,
                     SpaceCharge& charge) const {
    const EmissionSite& s = t.site;
    if (t.tube.size() == 1) return charge.deposit(r, z, t.current_A, dt);
    const double speed = std::hypot(ur, uz);
    const double cosine = speed > 0 ? (s.nr * ur + s.nz * uz) / speed : 1.0;
    const double sine = speed > 0 ? (s.nr * uz - s.nz * ur) / speed : 0.0;
    const double scale = s.r_m > 0 ? std::min(std::fabs(r) / s.r_m, 100.0) : 1.0;
    for (const TubePart& p : t.tube)
      charge.deposit(r + scale * (p.dr_m * cosine - p.dz_m * sine), z + scale * (p.dr_m * sine + p.dz_m * cosine),
                     t.current_A * p.fraction, dt);
  }

  void deposit(const BeamTrajectory& t, SpaceCharge& charge) const {
    if (t.current_A <= 0 || t.trace.points.empty()) return;
    const SurfacePoint& s = t.site;
    const double d = depth();
    const double transit = layerTransitTime(t.layerPotential_V, d);
    for (int k = 0; k < kLayerSteps; ++k) {
      const LayerStep step = layerStep(k);
      depositAcross(t, s.r_m + step.depthFraction * d * s.nr, s.z_m + step.depthFraction * d * s.nz, s.nr, s.nz,
                    step.timeFraction * transit, charge);
    }
    // Trapezoidal in time: each point holds half of the steps on either side of it.
    const auto& p = t.trace.points;
    for (std::size_t k = 0; k < p.size(); ++k) {
      const double dt = ((k + 1 < p.size() ? p[k + 1].t_s : p[k].t_s) - (k > 0 ? p[k - 1].t_s : p[k].t_s)) / 2;
      depositAcross(t, p[k].r_m, p[k].z_m, p[k].ur, p[k].uz, dt, charge);
    }
  }
};

void traceAll(const Emitter& emitter, const PotentialField& field, const CathodeProfile& profile, int threads,
              std::vector<BeamTrajectory>& trajectories) {
  std::atomic<std::size_t> next{0};
  auto work = [&] {
    for (std::size_t i = next++; i < trajectories.size(); i = next++) emitter.emit(field, profile, trajectories[i]);
  };
  const int count = std::clamp(threads, 1, 64);
  std::vector<std::jthread> pool;
  for (int k = 1; k < count; ++k) pool.emplace_back(work);
  work();
}

// Each site's ray becomes the site's rays, each with the site's trace so far and its share of
// the current, so that the beam's self field stays as it was.
void launchRays(const std::vector<ThermalRay>& rays, BeamResult& result) {
  std::vector<BeamTrajectory> all;
  all.reserve(result.trajectories.size() * rays.size());
  for (const BeamTrajectory& site : result.trajectories)
    for (const ThermalRay& ray : rays) {
      all.push_back(site);
      all.back().ray = ray;
      all.back().current_A = site.current_A * ray.weight;
    }
  result.trajectories.swap(all);
  result.raysPerSite = static_cast<int>(rays.size());
}

double maxChange(std::span<const double> a, std::span<const double> b) {
  double m = 0;
  for (std::size_t k = 0; k < a.size() && k < b.size(); ++k) m = std::max(m, std::fabs(a[k] - b[k]));
  return m;
}

// How far the emission in use is from what the field allows: the current of |allowed − used|
// over the surface, relative to the total.
// Unrelaxed, so that a small relaxed step does not pass for a settled one.
double emissionResidual(CathodeProfile& profile, const std::vector<double>& allowed) {
  const std::vector<double> used = profile.density();
  const double usedCurrent = profile.total();
  profile.density() = allowed;
  const double allowedCurrent = profile.total();
  for (std::size_t k = 0; k < used.size(); ++k) profile.density()[k] = std::fabs(allowed[k] - used[k]);
  const double apart = profile.total();
  profile.density() = used;
  const double scale = std::max(usedCurrent, allowedCurrent);
  return scale > 0 ? apart / scale : 0.0;  // never below the difference of the totals
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
  if (!(settings.relaxation >= kMinRelaxation && settings.relaxation <= 1)) {
    error = "the relaxation factor must lie between 0.05 and 1";
    return false;
  }
  const Emitter emitter{mesh, cathode, magnetic, settings, voltage};
  const int threads = settings.threads > 0 ? settings.threads
                                           : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  // The thermal rays join once the beam of one ray a site has settled, or when two passes are
  // left: the passes that find the beam's shape need no more, and the converged beam is theirs.
  const std::vector<ThermalRay> rays = thermalRays(settings.temperature_K, settings.thermalNodes);
  for (const EmissionSite& s : emissionSites(cathode, settings.trajectories))
    result.trajectories.push_back({s, 0, 0, 0, 0, {}, {}, rays.size() == 1 ? rays.front() : ThermalRay{}});
  bool allRays = rays.size() == 1;
  CathodeProfile profile(cathode, mesh.cell_m);
  result.chargeDensity.assign(mesh.nodeCount(), 0.0);
  const bool resumed = !initialCharge.empty();
  if (resumed) result.chargeDensity.assign(initialCharge.begin(), initialCharge.end());
  auto start = Clock::now();
  field.solve(result.chargeDensity, result.potential_V);
  result.times.field_s += since(start);
  if (result.potential_V.size() != mesh.nodeCount()) {
    error = "the field solver is not prepared for this mesh";
    return false;
  }
  // Each point's layer potential in the vacuum field: how far the space charge has lowered it
  // tells the next density (consistentDensity).
  std::vector<double> vacuum, vacuumLayer(profile.size()), layer(profile.size()), allowed(profile.size());
  std::vector<double> charged(profile.size()), hot(profile.size());
  if (resumed) field.solve({}, vacuum);
  else vacuum = result.potential_V;
  const PotentialField vacuumField(mesh, vacuum);
  std::vector<double> predicted(mesh.nodeCount());
  for (std::size_t k = 0; k < profile.size(); ++k) vacuumLayer[k] = emitter.layerPotential(vacuumField, profile.point(k));
  SpaceCharge charge(mesh);
  std::vector<double> previousPotential;
  double omega = settings.relaxation, best = std::numeric_limits<double>::max();
  int settledPasses = 0, stalled = 0;
  const int passes = std::max(settings.iterations, 1);
  for (int iteration = 1; iteration <= passes; ++iteration) {
    if (!allRays && (settledPasses >= 1 || iteration + 1 >= passes)) {
      launchRays(rays, result);
      allRays = true;
      settledPasses = 0;
    }
    start = Clock::now();
    const PotentialField present(mesh, result.potential_V);
    std::vector<double>& density = profile.density();
    for (std::size_t k = 0; k < profile.size(); ++k) {
      layer[k] = emitter.layerPotential(present, profile.point(k));
      hot[k] = emitter.temperatureLimit(present, profile.point(k));
      allowed[k] = emitter.limited(hot[k], childDensity(layer[k], emitter.childDepth()));
    }
    // The first pass starts from an estimate (or from what the earlier charge's field allows);
    // every later one moves each point part of the way to its consistent density.
    double change = 1.0, densityChange = 1.0;
    if (iteration == 1) {
      for (std::size_t k = 0; k < profile.size(); ++k)
        charged[k] = density[k] = resumed ? allowed[k] : emitter.estimated(vacuumField, profile.point(k));
    } else {
      change = densityChange = emissionResidual(profile, allowed);
      for (std::size_t k = 0; k < profile.size(); ++k) {
        const double next = consistentDensity(charged[k], layer[k], vacuumLayer[k], emitter.childDepth(), hot[k]);
        density[k] += omega * (next - density[k]);
      }
    }
    // The electrons' speeds near the cathode hang on the space charge's share of the
    // potential, which follows the density emitted; tracing in the last field would lay the
    // new density's charge at the old speeds, a lag that swings on fine meshes. So they are
    // traced in the field with that share scaled to the new density.
    double emitted = 0, standing = 0;
    for (std::size_t k = 0; k < profile.size(); ++k) {
      emitted += density[k] * profile.point(k).r_m;
      standing += charged[k] * profile.point(k).r_m;
    }
    const double scale = standing > 0 && emitted > 0 ? emitted / standing : 1.0;
    for (std::size_t n = 0; n < predicted.size(); ++n)
      predicted[n] = vacuum[n] + scale * (result.potential_V[n] - vacuum[n]);
    const BeamSelfField selfField = beamSelfField(mesh, result.trajectories);
    traceAll(emitter, PotentialField(mesh, predicted, &selfField), profile, threads, result.trajectories);
    result.times.tracing_s += since(start);

    start = Clock::now();
    charge.clear();
    double current = 0;
    for (const BeamTrajectory& t : result.trajectories) {  // in order: the sum does not depend on threads
      emitter.deposit(t, charge);
      current += t.current_A;
    }
    // The charge is relaxed as well: it was laid down at the speeds of the last field, a lag
    // that swings near the cathode of a fine mesh. charged[k] follows the density the field's
    // charge stands for, against which consistentDensity reads the lowering.
    const std::vector<double> fresh = charge.density();
    const double step = iteration == 1 && !resumed ? 1.0 : omega;
    for (std::size_t n = 0; n < fresh.size(); ++n) result.chargeDensity[n] += step * (fresh[n] - result.chargeDensity[n]);
    for (std::size_t k = 0; k < profile.size(); ++k) charged[k] += step * (density[k] - charged[k]);
    result.times.deposition_s += since(start);

    start = Clock::now();
    previousPotential.swap(result.potential_V);
    field.solve(result.chargeDensity, result.potential_V);
    result.times.field_s += since(start);
    if (result.potential_V.size() != mesh.nodeCount()) {
      error = "the field solver ran out of memory";
      return false;
    }

    if (iteration > 1 || resumed) change = std::max(change, maxChange(previousPotential, result.potential_V) / (step * voltage));
    IterationReport report;
    report.iteration = iteration;
    report.current_A = current;
    report.perveance_uP = current / std::pow(voltage, 1.5) * 1e6;
    report.change = change;
    report.densityChange = densityChange;
    report.relaxation = step;
    result.iterations = iteration;
    result.current_A = current;
    result.perveance_uP = report.perveance_uP;
    result.change = change;
    // Settled only when two passes in a row are: one small step may be a turning point.
    settledPasses = change < settings.tolerance ? settledPasses + 1 : 0;
    // A change that has not come below its best for four passes means the relaxation
    // overshoots or swings: take smaller steps from there on.
    if (change < best) {
      best = change;
      stalled = 0;
    } else if (++stalled >= 4) {
      omega = std::max(kMinRelaxation, omega * 0.7);
      best = change;
      stalled = 0;
    }
    if (progress && !progress(report)) break;
    if (settledPasses >= 2 && allRays) {
      result.converged = true;
      break;
    }
  }
  return true;
}

}  // namespace kelm::solver
