#include <gtest/gtest.h>

#include "source/main_program.h"
#include "source/request_flags.h"
#include "tests/records/recording_port.h"

namespace kelm {
namespace {

using Lines = std::vector<std::string>;

class MainLoopRequests : public ::testing::Test {
 protected:
  void SetUp() override {
    solveRequested.store(0);
    buildNetRequested.store(0);
  }
  testing::RecordingPort output;
};

TEST_F(MainLoopRequests, SolveIsServedBeforeBuildNetWhichWaitsForTheNextReturn) {
  solveRequested.store(1);
  buildNetRequested.store(1);

  serveOneRequest();
  EXPECT_EQ(output.lines, (Lines{" ", " Warning! Demo version", " SOLVE command not implemented", " "}));
  EXPECT_EQ(solveRequested.load(), 0);
  EXPECT_EQ(buildNetRequested.load(), 1);

  output.lines.clear();
  serveOneRequest();
  EXPECT_EQ(output.lines,
            (Lines{" ", " Warning! Demo version", " BUILD NET command not implemented", " "}));
  EXPECT_EQ(buildNetRequested.load(), 0);
}

}  // namespace
}  // namespace kelm
