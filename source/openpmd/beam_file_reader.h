#pragma once
// beam.h5 read back: the paths of iteration 0, ray by ray. The file is outside input: every
// size is checked against the file's own length and every value for being finite before use.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kelm::openpmd {

// In SI; momentum in units of m_e c.
struct PathPoint {
  double t_s = 0, x_m = 0, y_m = 0, z_m = 0, px = 0, py = 0, pz = 0;
};

struct PathRay {
  std::int32_t id = 0;
  double current_A = 0;
  std::vector<PathPoint> points;
};

// Rays in the order of their first point. False, with why, when the file is not a beam.h5
// this reader can trust.
bool readBeamFile(std::string_view bytes, std::vector<PathRay>& rays, std::string& error);

}  // namespace kelm::openpmd
