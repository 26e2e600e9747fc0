// Projects spread over worker processes come back in list order, each once, and a worker that
// dies loses only its own projects, with what it said before it died.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "source/export/parallel_projects.h"

namespace kelm::exporting {
namespace {

TEST(ParallelProjects, RowsInListOrderAndADeadWorkerReported) {
  struct Case {
    int jobs;
    std::size_t dies;  // the project whose worker ends in the middle of it; count: none
  } cases[] = {{1, 7}, {2, 7}, {3, 7}, {8, 7}, {2, 3}, {3, 0}};
  constexpr std::size_t kCount = 7;
  for (const Case& c : cases) {
    const ProjectWork work = [&](std::size_t index) {
      std::fprintf(stderr, "message of %zu\n", index);
      if (index == c.dies) ::_exit(9);
      return ProjectOutcome{"", "row " + std::to_string(index) + "\n", index % 2 == 1};
    };
    std::vector<std::size_t> order;
    std::vector<ProjectOutcome> outcomes;
    testing::internal::CaptureStderr();
    runProjects(kCount, c.jobs, work, [&](std::size_t index, ProjectOutcome&& outcome) {
      order.push_back(index);
      outcomes.push_back(std::move(outcome));
    });
    const std::string said = testing::internal::GetCapturedStderr();
    ASSERT_EQ(order.size(), kCount) << c.jobs;
    for (std::size_t k = 0; k < kCount; ++k) {
      EXPECT_EQ(order[k], k);
      const bool lost = c.jobs > 1 && k % std::size_t(c.jobs) == c.dies % std::size_t(c.jobs) && k >= c.dies;
      if (lost) {
        EXPECT_TRUE(outcomes[k].failed) << c.jobs << " " << k;
        EXPECT_EQ(outcomes[k].row, "") << c.jobs << " " << k;
        EXPECT_NE(outcomes[k].messages.find("was lost"), std::string::npos);
      } else {
        EXPECT_EQ(outcomes[k].row, "row " + std::to_string(k) + "\n") << c.jobs;
        EXPECT_EQ(outcomes[k].failed, k % 2 == 1);
      }
    }
    if (c.jobs > 1 && c.dies < kCount) {
      // The dying worker's last words come before the line that reports it lost.
      const std::string last = "message of " + std::to_string(c.dies) + "\n";
      EXPECT_NE(said.find(last + "kelm-export: project " + std::to_string(c.dies + 1) + " was lost"),
                std::string::npos)
          << said;
    }
    if (c.jobs > 1) {
      // Messages come in list order too.
      std::size_t at = 0;
      for (std::size_t k = 0; k < std::min(kCount, c.dies); ++k) {
        const std::size_t found = said.find("message of " + std::to_string(k) + "\n", at);
        EXPECT_NE(found, std::string::npos) << said;
        at = found;
      }
    }
  }
}

}  // namespace
}  // namespace kelm::exporting
