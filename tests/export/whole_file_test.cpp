// The whole-file writer at the edges of what a file system allows: names at the length limit and
// temporaries a killed writer left (a FIFO without a reader is kelm-export's refusals' test).
#include <gtest/gtest.h>
#include <sys/time.h>

#include <filesystem>
#include <string>

#include "runtime/whole_file.h"
#include "tests/records/temp_directory.h"

namespace kelm::runtime {
namespace {

namespace fs = std::filesystem;
using testing::TempDirectory;

TEST(WholeFile, NamesUpToTheLimitAreWritten) {
  TempDirectory scratch;
  for (std::size_t length : {1u, 243u, 244u, 250u, 255u}) {
    const std::string name(length, 'n');
    std::string error;
    EXPECT_TRUE(writeWholeFile(name, "bytes", error)) << length << ": " << error;
    EXPECT_EQ(TempDirectory::readFile(name), "bytes") << length;
    fs::remove(name);
  }
  EXPECT_TRUE(fs::is_empty(scratch.path()));
}

TEST(WholeFile, StaleTemporariesOfTheSameFileGo) {
  TempDirectory scratch;
  struct Case {
    const char* name;
    bool old, stays;
  } cases[] = {
      {".out.csv.kelm-AbC123", true, false},   // left by a killed writer
      {".out.csv.kelm-XyZ789", false, true},   // maybe another writer's, still at work
      {".other.csv.kelm-AbC123", true, true},  // another file's
      {"out.csv.kelm-AbC123", true, true},     // not a temporary's name
  };
  for (const Case& c : cases) {
    TempDirectory::writeFile(c.name, "part");
    if (c.old) {
      const timeval times[2] = {{1000000, 0}, {1000000, 0}};
      ASSERT_EQ(::utimes(c.name, times), 0);
    }
  }
  std::string error;
  ASSERT_TRUE(writeWholeFile("out.csv", "whole", error)) << error;
  for (const Case& c : cases) EXPECT_EQ(fs::exists(c.name), c.stays) << c.name;
}

}  // namespace
}  // namespace kelm::runtime
