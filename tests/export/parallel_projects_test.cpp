// Projects spread over worker processes come back in list order, each once with its own row; a
// worker that dies is reported, the project it was on is tried once more, and only a project
// that ends its worker every time is lost.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "source/export/parallel_projects.h"
#include "tests/records/temp_directory.h"

namespace kelm::exporting {
namespace {

TEST(ParallelProjects, RowsInListOrderAndADeadWorkerRetriedOnce) {
  struct Case {
    int jobs;
    std::size_t dies;  // the project whose worker ends in the middle of it; kCount: none
    bool always;       // it ends its worker at every try, not only the first
  } cases[] = {{1, 7, false}, {2, 7, false}, {3, 7, false}, {8, 7, false},
               {2, 3, false}, {3, 0, false}, {2, 3, true},  {3, 0, true}};
  constexpr std::size_t kCount = 7;
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.jobs << " jobs, project " << c.dies << (c.always ? " always" : ""));
    kelm::testing::TempDirectory dir;
    const ProjectWork work = [&](std::size_t index) {
      std::fprintf(stderr, "message of %zu\n", index);
      // A file marks the first try, which a new worker process sees.
      if (index == c.dies && (c.always || std::filesystem::create_directory("tried"))) ::_exit(9);
      return ProjectOutcome{"", "row " + std::to_string(index) + "\n", index % 2 == 1};
    };
    std::vector<std::size_t> order;
    std::vector<ProjectOutcome> outcomes;
    ::testing::internal::CaptureStderr();
    runProjects(kCount, c.jobs, work, [&](std::size_t index, ProjectOutcome&& outcome) {
      order.push_back(index);
      outcomes.push_back(std::move(outcome));
    });
    const std::string said = ::testing::internal::GetCapturedStderr();
    ASSERT_EQ(order.size(), kCount);
    const bool dies = c.jobs > 1 && c.dies < kCount;
    for (std::size_t k = 0; k < kCount; ++k) {
      EXPECT_EQ(order[k], k);
      if (dies && k == c.dies && c.always) {
        EXPECT_TRUE(outcomes[k].failed) << k;
        EXPECT_EQ(outcomes[k].row, "") << k;
      } else {
        EXPECT_EQ(outcomes[k].row, "row " + std::to_string(k) + "\n") << k;
        EXPECT_EQ(outcomes[k].failed, k % 2 == 1) << k;
      }
    }
    if (dies) {
      // The dying worker's last words come before the line that reports its end.
      const std::string ended = "message of " + std::to_string(c.dies) +
                                "\nkelm-export: the worker process exporting project " +
                                std::to_string(c.dies + 1) + " exited with status 9";
      EXPECT_NE(said.find(ended + "; the project is tried once more"), std::string::npos) << said;
      EXPECT_EQ(said.find("was lost") != std::string::npos, c.always) << said;
    }
    // Messages come in list order too.
    std::size_t at = 0;
    for (std::size_t k = 0; k < kCount && c.jobs > 1; ++k) {
      const std::size_t found = said.find("message of " + std::to_string(k) + "\n", at);
      EXPECT_NE(found, std::string::npos) << said;
      at = found;
    }
  }
}

}  // namespace
}  // namespace kelm::exporting
