// The writer's file read back by kelm-export's reader, against a helix the test lays out itself.
#include <gtest/gtest.h>

#include <cmath>

#include "source/openpmd/beam_file_reader.h"
#include "source/openpmd/beam_file_writer.h"
#include "source/openpmd/path_crossings.h"
#include "source/solver/physical_constants.h"

namespace kelm::openpmd {
namespace {

constexpr double kC = solver::kSpeedOfLight_m_per_s;

// A ring of radius R turning at ω while it drifts at v: θ = ωt, exact under the trapezoid rule.
struct Helix {
  double radius = 2e-3, omega = 9e9, speed = 1e7, dt = 1e-12;
  double gamma() const { return 1 / std::sqrt(1 - (speed * speed + radius * radius * omega * omega) / (kC * kC)); }
  std::vector<solver::TracePoint> points(int n) const {
    std::vector<solver::TracePoint> p;
    for (int k = 0; k < n; ++k) p.push_back({k * dt, radius, speed * k * dt, 0, gamma() * speed / kC, gamma(), omega});
    return p;
  }
};

std::string fileOf(const std::vector<solver::TracePoint>& points, std::vector<double> screens = {}) {
  BeamContent c;
  c.grid = {2, 3, 1e-3, std::vector<double>(6, 1.0), std::vector<double>(6), std::vector<double>(6), std::vector<double>(6)};
  c.rays = {{1, 0.25, points}, {2, 0.5, std::span(points).first(2)}};
  c.screens_m = std::move(screens);
  std::string bytes, error;
  EXPECT_TRUE(beamFileBytes(c, bytes, error)) << error;
  return bytes;
}

TEST(BeamFile, PathsComeBackInDoublePrecisionAndCrossPlanesAsTheHelixDoes) {
  const Helix h;
  const auto points = h.points(400);
  std::vector<PathRay> rays;
  std::string error;
  ASSERT_TRUE(readBeamFile(fileOf(points, {1e-3}), rays, error)) << error;
  ASSERT_EQ(rays.size(), 2u);
  EXPECT_EQ(rays[1].current_A, 0.5);
  ASSERT_EQ(rays[0].points.size(), points.size());
  for (std::size_t k = 0; k < points.size(); k += 37) {
    const double theta = h.omega * points[k].t_s, uTheta = h.gamma() * h.radius * h.omega / kC;
    const PathPoint& p = rays[0].points[k];
    EXPECT_NEAR(p.x_m, h.radius * std::cos(theta), 1e-15);
    EXPECT_NEAR(p.y_m, h.radius * std::sin(theta), 1e-15);
    EXPECT_NEAR(p.px, -uTheta * std::sin(theta), 1e-15);
    EXPECT_NEAR(p.py, uTheta * std::cos(theta), 1e-15);
  }
  // On a helix r, p_r, p_θ and p_z stay put, so a crossing between steps is exact: the chord
  // between two points would fall short of the radius by (ω·dt)²/8 = 1e-5.
  const std::vector<PathCrossing> c = pathCrossings(rays, 1.23e-3);
  ASSERT_EQ(c.size(), 1u);
  EXPECT_NEAR(c[0].r_m, h.radius, h.radius * 1e-12);
  EXPECT_NEAR(c[0].slope, 0, 1e-12);
  EXPECT_NEAR(c[0].azimuthalSlope, h.radius * h.omega / h.speed, h.radius * h.omega / h.speed * 1e-12);
}

TEST(BeamFile, DamagedFilesAreRefusedWithTheirReason) {
  const std::string whole = fileOf(Helix().points(50));
  std::string renamed = whole;
  renamed.replace(renamed.find("1.1.0"), 5, "9.9.9");
  auto far = Helix().points(3);
  far[1].r_m = 1e300;  // beyond any gun: the crossings' products of it would overflow
  const struct {
    std::string bytes;
    const char* reason;
  } rows[] = {
      {"", "not an HDF5 file"},
      {whole.substr(0, whole.size() / 2), "cannot open"},
      {renamed, "openPMD is \"9.9.9\""},
      {fileOf(far), "position/x holds a value beyond 1e30"},
  };
  for (const auto& row : rows) {
    std::vector<PathRay> rays;
    std::string error;
    EXPECT_FALSE(readBeamFile(row.bytes, rays, error));
    EXPECT_NE(error.find(row.reason), std::string::npos) << error;
  }
}

}  // namespace
}  // namespace kelm::openpmd
