#include "source/openpmd/particle_frame.h"

#include <cmath>

#include "source/solver/physical_constants.h"

namespace kelm::openpmd {
namespace {

using solver::TracePoint;

// The azimuth along a path, integrated from θ̇ by the trapezoid rule.
std::vector<double> azimuths(std::span<const TracePoint> p) {
  std::vector<double> theta(p.size(), 0.0);
  for (std::size_t k = 1; k < p.size(); ++k)
    theta[k] = theta[k - 1] + (p[k].t_s - p[k - 1].t_s) * (p[k].thetaDot_per_s + p[k - 1].thetaDot_per_s) / 2;
  return theta;
}

void add(ParticleFrame& f, const Ray& ray, const TracePoint& p, double theta, double weighting) {
  const double c = std::cos(theta), s = std::sin(theta);
  // γ r θ̇ / c: the azimuthal momentum in units of m_e c.
  const double uTheta = p.gamma * p.r_m * p.thetaDot_per_s / solver::kSpeedOfLight_m_per_s;
  f.x_m.push_back(p.r_m * c);
  f.y_m.push_back(p.r_m * s);
  f.z_m.push_back(p.z_m);
  f.px.push_back(p.ur * c - uTheta * s);
  f.py.push_back(p.ur * s + uTheta * c);
  f.pz.push_back(p.uz);
  f.weighting.push_back(weighting);
  f.current_A.push_back(ray.current_A);
  f.time_s.push_back(p.t_s);
  f.id.push_back(ray.id);
}

double lerp(double a, double b, double f) { return a + (b - a) * f; }

}  // namespace

ParticleFrame pathFrame(std::span<const Ray> rays) {
  ParticleFrame f;
  for (const Ray& ray : rays) {
    const auto& p = ray.points;
    const std::vector<double> theta = azimuths(p);
    for (std::size_t k = 0; k < p.size(); ++k) {
      const double dt = ((k + 1 < p.size() ? p[k + 1].t_s : p[k].t_s) - (k > 0 ? p[k - 1].t_s : p[k].t_s)) / 2;
      add(f, ray, p[k], theta[k], ray.current_A * dt / solver::kElementaryCharge_C);
    }
  }
  return f;
}

ParticleFrame screenFrame(std::span<const Ray> rays, double z_m) {
  ParticleFrame f;
  for (const Ray& ray : rays) {
    const auto& p = ray.points;
    const std::vector<double> theta = azimuths(p);
    for (std::size_t k = 1; k < p.size(); ++k) {
      const double a = p[k - 1].z_m - z_m, b = p[k].z_m - z_m;
      if (a * b > 0 || a == b) continue;
      const double w = a / (a - b);
      TracePoint at;
      at.t_s = lerp(p[k - 1].t_s, p[k].t_s, w);
      at.r_m = lerp(p[k - 1].r_m, p[k].r_m, w);
      at.z_m = z_m;
      at.ur = lerp(p[k - 1].ur, p[k].ur, w);
      at.uz = lerp(p[k - 1].uz, p[k].uz, w);
      at.gamma = lerp(p[k - 1].gamma, p[k].gamma, w);
      at.thetaDot_per_s = lerp(p[k - 1].thetaDot_per_s, p[k].thetaDot_per_s, w);
      add(f, ray, at, lerp(theta[k - 1], theta[k], w), ray.current_A * kScreenSlice_s / solver::kElementaryCharge_C);
      break;
    }
  }
  return f;
}

}  // namespace kelm::openpmd
