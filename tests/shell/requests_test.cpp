#include <gtest/gtest.h>

#include "runtime/process_paths.h"
#include "source/program/batch/batch_run.h"
#include "source/program/main_program.h"
#include "source/program/request_flags.h"
#include "tests/records/recording_port.h"
#include "tests/records/temp_directory.h"
#include "tests/views/program_state.h"

namespace kelm {
namespace {

using Lines = std::vector<std::string>;

class MainLoopRequests : public ::testing::Test {
 protected:
  void SetUp() override { testing::resetProgramState(); }
  testing::TempDirectory emptyProject;
  testing::RecordingPort output;
};

TEST_F(MainLoopRequests, SolveIsServedBeforeBuildNetWhichWaitsForTheNextReturn) {
  solveRequested.store(1);
  buildNetRequested.store(1);

  serveOneRequest();
  EXPECT_EQ(output.lines, (Lines{" ", " Solve", " geom.cod not found in this project: nothing solved", " "}));
  EXPECT_EQ(solveRequested.load(), 0);
  EXPECT_EQ(buildNetRequested.load(), 1);

  output.lines.clear();
  serveOneRequest();
  EXPECT_EQ(output.lines,
            (Lines{" ", " Build net", " geom.cod not found in this project: nothing built", " "}));
  EXPECT_EQ(buildNetRequested.load(), 0);
}

// The batch script runs present projects and a missing one; these are names the dialog never
// gives, which a batch still names on one line each, staying where it was.
TEST_F(MainLoopRequests, ABatchNamesMissingProjectsEvenEmptyOrHoldingALineBreak) {
  const std::string here = currentDirectory();
  projectList(1) = "/nonexistent/gone\nB";
  projectList(2) = "";
  projectCount = 2;
  runBatch();
  EXPECT_EQ(output.lines, (Lines{" Project directory not found: /nonexistent/gone\\nB",
                                 " Project directory not found: \"\"", " 2 projects: 0 solved, 2 failed"}));
  EXPECT_EQ(currentDirectory(), here);
}

}  // namespace
}  // namespace kelm
