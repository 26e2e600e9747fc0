// geom.dat as the Beam view reads it back: the outline within 0.05 cells of the arcs and lines
// described, and a description too detailed for the file refused by name.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "source/klplot/project/project_data.h"
#include "source/klplot/project/project_readers.h"
#include "source/solver/geometry/geometry_file.h"
#include "source/solver/geometry/outline_layout.h"
#include "tests/records/recording_port.h"
#include "tests/records/temp_directory.h"

namespace kelm::solver {
namespace {

TEST(Outline, ArcsAndLinesComeBackWithinATwentiethOfACell) {
  // Concave cathode, a small and a large ring and a slanted plate, on a cell whose scale
  // takes all four decimals.
  const char* text =
      "mesh r 20 z 40 cell 0.3\n"
      "electrode cathode 0\nfrom 0 4\narc 6 6 radius 10 cw emitting\nline 6 0\nline 0 0\nclose\nend\n"
      "electrode tiny 10\nfrom 3 20\narc 3 20.16 radius 0.08 ccw\narc 3 20 radius 0.08 ccw\nclose\nend\n"
      "electrode ring 500\nfrom 10 15\narc 10 33 radius 9 ccw\narc 10 15 radius 9 ccw\nclose\nend\n"
      "electrode plate 1000\nfrom 20 30.05\nline 2.7 31.3\nend\n";
  GunDescription gun;
  Diagnostic error;
  ASSERT_TRUE(parseGunDescription(text, gun, error)) << formatDiagnostic("geom.cod", error);
  std::vector<OutlinePoint> points;
  std::string why;
  ASSERT_TRUE(layOutOutline(gun, points, why)) << why;
  kelm::testing::TempDirectory dir;
  kelm::testing::RecordingPort port;
  kelm::testing::TempDirectory::writeFile("geom.dat", geometryFileText(gun.mesh, points));
  klplot::resetOutlineForLoad(klplot::projectData);
  klplot::loadGeometry(klplot::projectData);
  EXPECT_EQ(port.lines, std::vector<std::string>{" File GEOM.DAT loaded"});
  const klplot::ProjectData& d = klplot::projectData;
  ASSERT_EQ(d.geomSegCount, 1);
  const double tolerance = 0.05 * gun.mesh.cell_mm;
  // Each electrode's points and the middles of its chords lie on one of its segments.
  auto distanceTo = [](const OutlineSegment& s, double r, double z) {
    if (s.kind == OutlineSegment::Kind::kArc) {
      // Only the part of the circle the arc covers: the point's angle must fall in its sweep.
      const double fromCentre = std::hypot(r - s.centre.r, z - s.centre.z);
      const double cross = (s.to.z - s.from.z) * (r - s.from.r) - (s.to.r - s.from.r) * (z - s.from.z);
      const bool sameSideAsArc = s.ccw ? cross <= 1e-9 : cross >= -1e-9;
      return sameSideAsArc ? std::fabs(fromCentre - s.radius_mm) : 1e9;
    }
    const double lr = s.to.r - s.from.r, lz = s.to.z - s.from.z;
    const double t = std::clamp(((r - s.from.r) * lr + (z - s.from.z) * lz) / (lr * lr + lz * lz), 0.0, 1.0);
    return std::hypot(r - s.from.r - t * lr, z - s.from.z - t * lz);
  };
  std::vector<int> seen(gun.electrodes.size());
  const int first = d.geomSegFirst(1);
  for (int n = first; n <= d.geomSegLast(1); ++n) {
    const int code = d.geomCode(n);
    if (code == 0) continue;
    ASSERT_GE(code, 1);
    ASSERT_LE(code, static_cast<int>(gun.electrodes.size()));
    ++seen[static_cast<std::size_t>(code - 1)];
    const auto& segments = gun.electrodes[static_cast<std::size_t>(code - 1)].segments;
    auto nearest = [&](double r, double z) {
      double best = 1e9;
      for (const auto& s : segments) best = std::min(best, distanceTo(s, r, z));
      return best;
    };
    EXPECT_LE(nearest(d.geomR(n), d.geomZ(n)), tolerance) << "point " << n - first + 1 << " of electrode " << code;
    if (n > first && d.geomCode(n - 1) == code) {
      EXPECT_LE(nearest(0.5 * (d.geomR(n) + d.geomR(n - 1)), 0.5 * (d.geomZ(n) + d.geomZ(n - 1))), tolerance)
          << "chord to point " << n - first + 1 << " of electrode " << code;
    }
  }
  for (std::size_t e = 0; e < seen.size(); ++e) EXPECT_GE(seen[e], 3) << gun.electrodes[e].name;
}

TEST(Outline, MoreThanTheFileHoldsIsRefusedByName) {
  // 51 large circles need about 400 points each.
  std::string text = "mesh r 15 z 15 cell 0.011\n";
  for (int e = 0; e < 51; ++e)
    text += "electrode c" + std::to_string(e) + " 0\nfrom 7.5 0.5\narc 7.5 14.5 radius 7 ccw\narc 7.5 0.5 radius 7 ccw\nclose\nend\n";
  GunDescription gun;
  Diagnostic error;
  ASSERT_TRUE(parseGunDescription(text, gun, error)) << formatDiagnostic("geom.cod", error);
  std::vector<OutlinePoint> points;
  std::string why;
  EXPECT_FALSE(layOutOutline(gun, points, why));
  EXPECT_EQ(why, "outline points: the electrodes need more than 20000 points, the most geom.dat holds; a coarser cell or fewer arcs need fewer");
  gun.electrodes.resize(45);
  EXPECT_TRUE(layOutOutline(gun, points, why));
  EXPECT_LE(points.size(), 20000u);
}

}  // namespace
}  // namespace kelm::solver
