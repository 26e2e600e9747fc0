#include "source/solver/beam/trajectory_tracer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "source/solver/physical_constants.h"

namespace kelm::solver {
namespace {

using State = std::array<double, 4>;  // r, z, ur, uz

constexpr double kC = kSpeedOfLight_m_per_s;
constexpr double kChargeOverMc = kElementaryCharge_C / (kElectronMass_kg * kSpeedOfLight_m_per_s);

// uθ / r from Busch's theorem, finite on the axis when the cathode carries no flux and the
// electron left it without rotation.
double rotation(double r, const AxialFieldSample& b, double cathodeFlux_Wb, double angularMomentum_m = 0) {
  double w = b.b_T - r * r * b.d2b_T_per_m2 / 8;
  if (cathodeFlux_Wb != 0) w -= cathodeFlux_Wb / (std::numbers::pi * std::max(r * r, 1e-30));
  w *= kChargeOverMc / 2;
  if (angularMomentum_m != 0) w += angularMomentum_m / std::max(r * r, 1e-30);
  return w;
}

struct Motion {
  const PotentialField& electric;
  const AxialMagneticField& magnetic;
  double cathodeFlux_Wb;
  double angularMomentum_m;

  double rotation(double r, const AxialFieldSample& b) const {
    return kelm::solver::rotation(r, b, cathodeFlux_Wb, angularMomentum_m);
  }

  // phi_V, when given, takes the potential at y.
  State derivative(const State& y, double* phi_V = nullptr) const {
    const double r = y[0];
    const FieldPoint e = electric.at(r, y[1]);
    if (phi_V) *phi_V = e.phi_V;
    const AxialFieldSample b = magnetic.at(y[1]);
    const double w = rotation(r, b), uth = w * r;
    const double gamma = std::sqrt(1 + y[2] * y[2] + y[3] * y[3] + uth * uth);
    // The paraxial field to the order of the flux in rotation(), so that the two agree.
    const double bz = b.b_T - r * r * b.d2b_T_per_m2 / 4, br = -r * b.db_T_per_m / 2 + r * r * r * b.d3b_T_per_m3 / 16;
    // q = −e; the centrifugal term uθ²/r is w·uθ.
    const double bth = electric.selfField_T(r, y[1]);
    return {kC * y[2] / gamma, kC * y[3] / gamma,
            -kChargeOverMc * (e.er_V_per_m + kC * (uth * bz - y[3] * bth) / gamma) + kC * w * uth / gamma,
            -kChargeOverMc * (e.ez_V_per_m + kC * (y[2] * bth - uth * br) / gamma)};
  }

  TracePoint point(double t, const State& y) const {
    const AxialFieldSample b = magnetic.at(y[1]);
    const double w = rotation(y[0], b), uth = w * y[0];
    const double gamma = std::sqrt(1 + y[2] * y[2] + y[3] * y[3] + uth * uth);
    return {t, y[0], y[1], y[2], y[3], gamma, kC * w / gamma};
  }
};

// Dormand–Prince 5(4): the fifth-order step and the difference to the embedded fourth order.
// k1 is the derivative at y; on return it is the derivative at next (first same as last), and
// phi_V the potential there.
void dormandPrince(const Motion& m, const State& y, double dt, State& k1, State& next, State& error, double& phi_V) {
  static constexpr double a[6][5] = {{1.0 / 5},
                                     {3.0 / 40, 9.0 / 40},
                                     {44.0 / 45, -56.0 / 15, 32.0 / 9},
                                     {19372.0 / 6561, -25360.0 / 2187, 64448.0 / 6561, -212.0 / 729},
                                     {9017.0 / 3168, -355.0 / 33, 46732.0 / 5247, 49.0 / 176, -5103.0 / 18656},
                                     {35.0 / 384, 0, 500.0 / 1113, 125.0 / 192, -2187.0 / 6784}};
  static constexpr double b6 = 11.0 / 84;
  static constexpr double e[7] = {71.0 / 57600, 0, -71.0 / 16695, 71.0 / 1920, -17253.0 / 339200, 22.0 / 525, -1.0 / 40};
  std::array<State, 7> k;
  k[0] = k1;
  for (std::size_t stage = 1; stage <= 6; ++stage) {
    State s = y;
    for (std::size_t j = 0; j < stage && j < 5; ++j)
      for (std::size_t i = 0; i < 4; ++i) s[i] += dt * a[stage - 1][j] * k[j][i];
    if (stage == 6) {
      for (std::size_t i = 0; i < 4; ++i) s[i] += dt * b6 * k[5][i];
      next = s;
    }
    k[stage] = m.derivative(s, stage == 6 ? &phi_V : nullptr);
  }
  for (std::size_t i = 0; i < 4; ++i) {
    double sum = 0;
    for (std::size_t j = 0; j < 7; ++j) sum += e[j] * k[j][i];
    error[i] = dt * sum;
  }
  k1 = k[6];
}

}  // namespace

double magneticFlux(const AxialMagneticField& field, double r_m, double z_m) {
  const AxialFieldSample b = field.at(z_m);
  return std::numbers::pi * r_m * r_m * (b.b_T - r_m * r_m * b.d2b_T_per_m2 / 8);
}

double azimuthalMomentum(const AxialMagneticField& field, double r_m, double z_m, double cathodeFlux_Wb) {
  return rotation(r_m, field.at(z_m), cathodeFlux_Wb) * r_m;
}

Trace traceParticle(const PotentialField& electric, const AxialMagneticField& magnetic,
                    const ParticleStart& start, const TraceSettings& settings) {
  const Motion motion{electric, magnetic, start.cathodeFlux_Wb, start.angularMomentum_m};
  const double h = electric.cellSize();
  Trace trace;
  trace.points.reserve(256);
  State y{start.r_m, start.z_m, start.ur, start.uz};
  double phi = 0, peak = std::max(settings.energyScale_eV / kElectronRestEnergy_eV, 1e-12);
  State slope = motion.derivative(y, &phi);
  double t = 0;
  trace.points.push_back(motion.point(t, y));
  auto speed = [](const TracePoint& p) {
    return kC * std::sqrt(p.ur * p.ur + p.uz * p.uz) / p.gamma;
  };
  auto stopsAt = [&](const State& s) {
    return !electric.withinMesh(s[0], s[1]) || electric.insideElectrode(s[0], s[1]);
  };
  double dt = settings.maxStep_cells * h / std::max(speed(trace.points.back()), 1e3);
  for (int step = 0; step < settings.maxSteps; ++step) {
    const double vmax = std::max(speed(trace.points.back()), 1e3);
    dt = std::min(dt, settings.maxStep_cells * h / vmax);
    State next, error, nextSlope = slope;
    double nextPhi = 0;
    dormandPrince(motion, y, dt, nextSlope, next, error, nextPhi);
    const double uScale = std::max(std::hypot(y[2], y[3]), 1e-4);
    // The fields conserve energy exactly, so the step's departure from it is an error too; the
    // estimate alone lets a steady drift through a steep magnetic ramp. Relative to the gun's
    // energy or the most the electron has had, so that neither the slow start at the cathode
    // nor a turning point stalls the steps. Beyond the mesh's edge or inside an electrode the
    // potential is not the one followed.
    const double gamma = trace.points.back().gamma, nextGamma = motion.point(0, next).gamma;
    peak = std::max({peak, gamma - 1, nextGamma - 1});
    const double drift = stopsAt(next) ? 0.0 : (nextGamma - gamma - (nextPhi - phi) / kElectronRestEnergy_eV) / peak;
    const double err = std::max({std::fabs(error[0]) / h, std::fabs(error[1]) / h,
                                 std::fabs(error[2]) / uScale, std::fabs(error[3]) / uScale,
                                 std::fabs(drift)}) /
                       settings.tolerance;
    if (!(err <= 1.0)) {
      dt *= std::clamp(0.9 * std::pow(std::isfinite(err) ? err : 1e10, -0.2), 0.1, 0.9);
      if (dt < 1e-22) break;
      continue;
    }
    if (stopsAt(next)) {
      // Halve toward the surface or edge, so the trajectory ends within a small part of a cell.
      double inside = dt, outside = 0;
      State last = y;
      for (int k = 0; k < 12; ++k) {
        const double mid = (inside + outside) / 2;
        State trial, ignored, trialSlope = slope;
        double ignoredPhi = 0;
        dormandPrince(motion, y, mid, trialSlope, trial, ignored, ignoredPhi);
        if (stopsAt(trial)) {
          inside = mid;
        } else {
          outside = mid;
          last = trial;
        }
      }
      if (outside > 0) trace.points.push_back(motion.point(t + outside, last));
      trace.end = electric.withinMesh(next[0], next[1]) ? TraceEnd::kElectrode : TraceEnd::kMeshEdge;
      return trace;
    }
    y = next;
    slope = nextSlope;
    phi = nextPhi;
    t += dt;
    trace.points.push_back(motion.point(t, y));
    if (y[2] * start.dirR + y[3] * start.dirZ < 0) {
      trace.end = TraceEnd::kTurnedBack;
      return trace;
    }
    dt *= std::clamp(0.9 * std::pow(std::max(err, 1e-10), -0.2), 1.0, 5.0);
  }
  trace.end = TraceEnd::kStepLimit;
  return trace;
}

}  // namespace kelm::solver
