// The record a solve leaves and what reads it, and inputs that are not regular files. The lock,
// and the FIFOs, directories and missing files a solve refuses, are tried through kelm-solve
// and solveProject themselves.
#include <gtest/gtest.h>

#include <string>

#include "source/project_files/file_hash.h"
#include "source/project_files/input_file.h"
#include "source/project_files/solve_record.h"
#include "tests/records/temp_directory.h"
#include "tests/views/program_thread.h"

namespace kelm::projectfiles {
namespace {

using kelm::testing::TempDirectory;

TEST(SolveRecord, ReadsBackWhatItWroteWhateverTheNames) {
  SolveRecord r;
  r.status = SolveStatus::kNotConverged;
  r.failure = "never\nseen";
  r.iterations = 25;
  r.finalChange = 0.0125;
  r.perveance_uP = 0.5597;
  r.inputs = {{"geom.cod", sha256Hex("a")}, {"fields/coil, 2.dat", sha256Hex("")}, {"klinput.dat", kAbsent}};
  r.results = {{"pot.dat", sha256Hex("b")}};
  r.figures = {{"intercepted_current [A]:grid, 2", "0.001"}, {"surface_field_electrode", "a, b"}};
  SolveRecord back;
  std::string error;
  ASSERT_TRUE(parseRecord(recordText(r), back, error)) << error;
  EXPECT_EQ(back.status, r.status);
  EXPECT_EQ(back.failure, "never seen");
  EXPECT_EQ(back.iterations, 25);
  EXPECT_DOUBLE_EQ(back.finalChange, 0.0125);
  EXPECT_DOUBLE_EQ(back.perveance_uP, 0.5597);
  EXPECT_EQ(back.inputs, r.inputs);
  EXPECT_EQ(back.results, r.results);
  EXPECT_EQ(back.figures, r.figures);
  // SHA-256 of "" and "abc", as published.
  EXPECT_EQ(sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

TEST(SolveRecord, RefusesWhatIsNotARecordOfItsFormat) {
  const std::string head = "key,value\nformat,1\nstatus,solved\n";
  const std::pair<std::string, bool> cases[] = {
      {head, true},
      {head + "a later key,any value\n", true},
      {"format,1\nstatus,solved\n", false},          {"key,value\nformat,2\nstatus,solved\n", false},
      {"key,value\nformat,1\n", false},              {head + "status,done\n", false},
      {head + "iterations,-1\n", false},              {head + "current [A],nan\n", false},
      {head + "converged,yes\n", false},              {head + "result:pot.dat,\n", false},
      {head + "iterations\n", false},                 {head + "voltage [V],1e400\n", false},
  };
  // Read as the desktop reads it, with the traps on.
  kelm::testing::onProgramThread([&] {
    for (const auto& [text, valid] : cases) {
      SolveRecord r;
      std::string error;
      EXPECT_EQ(parseRecord(text, r, error), valid) << text;
    }
  });
}

TEST(InputFile, ReadsRegularFilesAndRefusesLongOnesAndDevices) {
  TempDirectory dir;
  TempDirectory::writeFile("geom.cod", "12345");
  const struct {
    const char* path;
    std::size_t limit;
    InputRead read;
    const char* failure;
  } cases[] = {
      {"geom.cod", 5, InputRead::kOk, ""},
      {"geom.cod", 4, InputRead::kTooLong, "geom.cod is too long"},
      {"/dev/null", 5, InputRead::kNotRegular, "/dev/null: a device, not a regular file"},
  };
  for (const auto& c : cases) {
    std::string text, why;
    EXPECT_EQ(readInputFile(c.path, c.limit, text, why), c.read) << c.path;
    EXPECT_EQ(inputFailure(c.path, c.read, why), c.failure);
  }
}

}  // namespace
}  // namespace kelm::projectfiles
