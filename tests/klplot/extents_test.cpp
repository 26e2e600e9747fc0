// The plot extents derived from the outline.
#include <gtest/gtest.h>

#include <cmath>

#include "source/klplot/project/project_data.h"
#include "source/klplot/project/project_readers.h"

namespace kelm::klplot {
namespace {

void outline(std::initializer_list<std::pair<float, float>> points) {
  ProjectData& d = projectData;
  int n = 0;
  for (auto [r, z] : points) {
    ++n;
    d.geomR(n) = r;
    d.geomZ(n) = z;
  }
  d.geomLoaded = 1;
  d.geomSegCount = 1;
  d.geomSegFirst(1) = 1;
  d.geomSegLast(1) = n;
  d.rAxisMax = 200.0;
}

TEST(Extents, AxialStepsFollowTheReducedSpan) {
  struct Case {
    float span;
    float step;
  } cases[] = {{3.0f, 0.5f}, {10.0f, 1.0f}, {19.9f, 2.5f}, {20.0f, 10.0f}, {45.0f, 5.0f}, {100.0f, 10.0f}};
  for (const Case& c : cases) {
    outline({{1.0f, 0.0f}, {2.0f, c.span}});
    deriveExtents(projectData);
    EXPECT_FLOAT_EQ(projectData.zTickStep, c.step) << c.span;
    EXPECT_LT(projectData.zAxisMin, projectData.zAxisMax);
  }
  EXPECT_DOUBLE_EQ(projectData.rAxisMax, 2.4);
}

TEST(Extents, FallBacksAndHugeCoordinatesStayFinite) {
  ProjectData& d = projectData;
  outline({{0.0f, 5.0f}});  // read, but no radius above 0 and no axial span
  deriveExtents(projectData);
  EXPECT_DOUBLE_EQ(d.rAxisMax, 120.0);
  EXPECT_DOUBLE_EQ(d.zAxisMax, 500.0);

  outline({{3e38f, -3e38f}, {1.0f, 3e38f}});
  deriveExtents(projectData);
  EXPECT_TRUE(std::isfinite(d.zAxisMin) && std::isfinite(d.zAxisMax) && std::isfinite(d.rAxisMax));
  EXPECT_LT(d.zAxisMin, d.zAxisMax);
  EXPECT_LT(d.rAxisMin, d.rAxisMax);
}

}  // namespace
}  // namespace kelm::klplot
