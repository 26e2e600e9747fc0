// The elimination order hands the factorization every unknown exactly once, whatever the mesh's
// shape and wherever electrodes hold nodes; a lost or doubled unknown would leave the factor
// singular or the potential of some node unset.
#include <gtest/gtest.h>

#include <vector>

#include "source/solver/field/nested_dissection.h"

namespace kelm::solver {
namespace {

struct Shape {
  const char* name;
  int nr, nz;
  bool held(int ir, int iz) const {
    // A block and a ring of held nodes, so that parts of the mesh are cut off.
    return (ir > nr / 3 && ir < nr / 2 && iz > nz / 4) || (iz == nz / 2 && ir > 2);
  }
};

const Shape kShapes[] = {
    {"OneNode", 1, 1},      {"OneColumn", 1, 37},   {"OneRow", 41, 1},      {"TwoByTwo", 2, 2},
    {"Square", 64, 64},     {"Tall", 13, 301},      {"Wide", 257, 9},       {"GunLike", 120, 360},
};

TEST(NestedDissection, EveryUnknownOnceForEveryShape) {
  for (const Shape& s : kShapes) {
    for (bool withHeld : {false, true}) {
      SCOPED_TRACE(std::string(s.name) + (withHeld ? " with held nodes" : ""));
      std::vector<int> unknownOf(static_cast<std::size_t>(s.nr) * static_cast<std::size_t>(s.nz), -1);
      int count = 0;
      for (int iz = 0; iz < s.nz; ++iz)
        for (int ir = 0; ir < s.nr; ++ir)
          if (!withHeld || !s.held(ir, iz)) unknownOf[static_cast<std::size_t>(iz * s.nr + ir)] = count++;
      const std::vector<int> order = nestedDissectionOrder(s.nr, s.nz, unknownOf);
      ASSERT_EQ(order.size(), static_cast<std::size_t>(count));
      std::vector<int> seen(static_cast<std::size_t>(count), 0);
      for (int u : order) {
        ASSERT_GE(u, 0);
        ASSERT_LT(u, count);
        ++seen[static_cast<std::size_t>(u)];
      }
      for (int times : seen) ASSERT_EQ(times, 1);
    }
  }
}

TEST(NestedDissection, MismatchedTableGivesNoOrder) {
  EXPECT_TRUE(nestedDissectionOrder(4, 4, std::vector<int>(15, 0)).empty());
  EXPECT_TRUE(nestedDissectionOrder(0, 4, {}).empty());
}

}  // namespace
}  // namespace kelm::solver
