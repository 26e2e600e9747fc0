#include <gtest/gtest.h>

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

}  // namespace
}  // namespace kelm
