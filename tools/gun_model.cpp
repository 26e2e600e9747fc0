#include "gun_model.h"

#include <algorithm>
#include <cmath>

namespace kelm::tools {

namespace {

constexpr int kCathodeZ = 10, kCathodeRadius = 8, kAnodeZ = 70, kAnodeHole = 6;
constexpr double kMagneticFocusing = 1e-7;  // tuned for a second waist inside the coil

void fix(GunModel& gun, int ir, int iz, double volts) {
  const auto i = static_cast<std::size_t>(iz * GunModel::kRadialNodes + ir);
  gun.potential[i] = volts;
  gun.fixed[i] = true;
}

// Keeps every few steps, or spreads the points evenly over the whole path so that
// the last one is where the path leaves the mesh.
void samplePath(const std::vector<double>& r, const std::vector<double>& z, PathSampling sampling,
                Path& path) {
  const std::size_t steps = r.size();
  if (sampling.spreadOver > 1 && steps > 0) {
    const std::size_t points = std::min<std::size_t>(static_cast<std::size_t>(sampling.spreadOver), steps);
    for (std::size_t m = 0; m < points; ++m) {
      const std::size_t n = points > 1 ? (m * (steps - 1) + (points - 1) / 2) / (points - 1) : 0;
      path.r.push_back(r[n]);
      path.z.push_back(z[n]);
    }
    return;
  }
  for (std::size_t n = 0; n < steps && path.r.size() < kMaxPathPoints; n += static_cast<std::size_t>(sampling.every)) {
    path.r.push_back(r[n]);
    path.z.push_back(z[n]);
  }
}

}  // namespace

double GunModel::interpolated(double r, double z) const {
  r = std::clamp(r, 0.0, kRadialNodes - 1.001);
  z = std::clamp(z, 0.0, kAxialNodes - 1.001);
  const int ir = static_cast<int>(r), iz = static_cast<int>(z);
  const double fr = r - ir, fz = z - iz;
  return (1 - fr) * (1 - fz) * at(ir, iz) + fr * (1 - fz) * at(ir + 1, iz) +
         (1 - fr) * fz * at(ir, iz + 1) + fr * fz * at(ir + 1, iz + 1);
}

double solenoidField(double z) {
  const double a = 15.0, z1 = 40.0, z2 = 60.0;
  return 600.0 * ((z - z1) / std::hypot(z - z1, a) - (z - z2) / std::hypot(z - z2, a));
}

GunModel buildGun() {
  GunModel gun;
  gun.potential.assign(GunModel::kRadialNodes * GunModel::kAxialNodes, 0.0);
  gun.fixed.assign(gun.potential.size(), false);
  // Cathode face, then the focusing electrode rising at 45 degrees away from it.
  for (int ir = 0; ir <= kCathodeRadius; ++ir) {
    gun.cathodeAndFocus.push_back({0, ir, kCathodeZ, 0.0, 0.0});
    fix(gun, ir, kCathodeZ, 0.0);
  }
  for (int k = 1; k <= 14; ++k) {
    gun.cathodeAndFocus.push_back({1, kCathodeRadius + k, kCathodeZ + k, 0.0, k % 2 ? 0.5 : 0.0});
    fix(gun, kCathodeRadius + k, kCathodeZ + k, 0.0);
  }
  // The anode: a plate with an aperture on the axis.
  for (int ir = kAnodeHole; ir < GunModel::kRadialNodes; ++ir) {
    gun.anode.push_back({2, ir, kAnodeZ, 0.0, 0.0});
    fix(gun, ir, kAnodeZ, gun.anodeVolts);
  }
  // Beyond the anode the outer wall of the mesh is at anode potential: the drift tube, which
  // the outline follows to the end of the mesh. Behind the cathode all is at cathode potential.
  for (int iz = kAnodeZ + 1; iz < GunModel::kAxialNodes; ++iz) {
    gun.anode.push_back({2, GunModel::kRadialNodes - 1, iz, 0.0, 0.0});
    fix(gun, GunModel::kRadialNodes - 1, iz, gun.anodeVolts);
  }
  for (int iz = 0; iz < kCathodeZ; ++iz)
    for (int ir = 0; ir < GunModel::kRadialNodes; ++ir) fix(gun, ir, iz, 0.0);
  return gun;
}

void solveLaplace(GunModel& gun, int sweeps) {
  constexpr int nr = GunModel::kRadialNodes, nz = GunModel::kAxialNodes;
  constexpr double omega = 1.85;
  auto v = [&](int ir, int iz) -> double& { return gun.potential[static_cast<std::size_t>(iz * nr + ir)]; };
  for (int sweep = 0; sweep < sweeps; ++sweep) {
    for (int iz = 1; iz < nz - 1; ++iz) {
      for (int ir = 0; ir < nr - 1; ++ir) {
        if (gun.fixed[static_cast<std::size_t>(iz * nr + ir)]) continue;
        double next;
        if (ir == 0) {
          // On the axis the radial term of the axisymmetric Laplacian doubles.
          next = (4 * v(1, iz) + v(0, iz - 1) + v(0, iz + 1)) / 6.0;
        } else {
          const double outer = 1.0 + 0.5 / ir, inner = 1.0 - 0.5 / ir;
          next = (outer * v(ir + 1, iz) + inner * v(ir - 1, iz) + v(ir, iz - 1) + v(ir, iz + 1)) / 4.0;
        }
        v(ir, iz) += omega * (next - v(ir, iz));
      }
    }
    for (int ir = 0; ir < nr; ++ir) v(ir, nz - 1) = v(ir, nz - 2);  // open end of the mesh
  }
}

std::vector<Path> tracePaths(const GunModel& gun, int count, PathSampling sampling) {
  // Child's law for the cathode-anode gap sets a uniform emission density.
  const double gap = kAnodeZ - kCathodeZ;
  const double density = 2.33e-6 * std::pow(gun.anodeVolts, 1.5) / (gap * gap);
  std::vector<Path> paths;
  std::vector<double> stepR, stepZ;  // every integration step of one path
  for (int k = 0; k < count; ++k) {
    Path path;
    const double r0 = (k + 0.5) * kCathodeRadius / count * 0.9;
    const double rIn = k * kCathodeRadius * 0.9 / count, rOut = (k + 1) * kCathodeRadius * 0.9 / count;
    path.density = density * (1.0 - 0.3 * (r0 / kCathodeRadius) * (r0 / kCathodeRadius));
    path.current = path.density * M_PI * (rOut * rOut - rIn * rIn);
    // Electrons start at rest and gain speed from the potential: v^2 is proportional to V.
    double r = r0, z = kCathodeZ + 0.5, vr = 0.0, vz = 0.05;
    const double step = 0.05;
    stepR.clear();
    stepZ.clear();
    for (int n = 0; n < 20000 && z < GunModel::kAxialNodes - 2; ++n) {
      const double er = (gun.interpolated(r + 0.5, z) - gun.interpolated(std::max(r - 0.5, 0.0), z));
      const double ez = (gun.interpolated(r, z + 0.5) - gun.interpolated(r, z - 0.5));
      // The solenoid focuses in proportion to B squared and the radius (Busch's theorem).
      const double b = solenoidField(z / GunModel::kMeshUnitsPerMillimetre);
      vr += step * (er * 1e-4 - kMagneticFocusing * b * b * r);
      vz += step * ez * 1e-4;
      r += step * vr;
      z += step * vz;
      if (r < 0.0) {  // through the axis: the path goes on mirrored into r >= 0
        r = -r;
        vr = -vr;
      }
      stepR.push_back(r);
      stepZ.push_back(z);
    }
    samplePath(stepR, stepZ, sampling, path);
    paths.push_back(std::move(path));
  }
  return paths;
}

}  // namespace kelm::tools
