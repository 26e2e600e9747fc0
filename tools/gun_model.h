#pragma once
// A small axisymmetric gun on a mesh: electrodes, the potential between them by successive
// over-relaxation, electron paths through that potential. Mesh units throughout.

#include <cstddef>
#include <vector>

namespace kelm::tools {

struct OutlinePoint {
  int code, ir, iz;
  double dr, dz;
};

struct Path {
  double current;  // A
  double density;  // A per square mesh unit at the start
  std::vector<double> r, z;
};

struct GunModel {
  static constexpr int kRadialNodes = 41, kAxialNodes = 121;
  static constexpr double kMeshUnitsPerMillimetre = 2.0;
  double anodeVolts = 10000.0;
  std::vector<OutlinePoint> cathodeAndFocus, anode;
  std::vector<double> potential;  // [iz * kRadialNodes + ir]
  std::vector<bool> fixed;

  double at(int ir, int iz) const { return potential[static_cast<std::size_t>(iz * kRadialNodes + ir)]; }
  double interpolated(double r, double z) const;
};

// On-axis field of the focusing solenoid in gauss, z in millimetres: a coil from 40 to 60 mm
// of 15 mm radius, about 670 G at its centre.
double solenoidField(double z);

GunModel buildGun();
void solveLaplace(GunModel& gun, int sweeps);
// The most points a path may have in the result file.
inline constexpr std::size_t kMaxPathPoints = 299;

// Which integration steps become path points: every `every`-th step (at most kMaxPathPoints),
// or, with spreadOver > 1, that many points spread evenly from the start to the end of the mesh.
struct PathSampling {
  int every = 1;
  int spreadOver = 0;
};

std::vector<Path> tracePaths(const GunModel& gun, int count, PathSampling sampling);

}  // namespace kelm::tools
