#include "source/program/startup_paths.h"

#include <gtest/gtest.h>

namespace kelm {
namespace {

TEST(HelpFilePath, LiesBesideTheProgram) {
  EXPECT_EQ(helpFilePathFor("/opt/kelm/bin/kelm", "/opt/kelm/bin"), "/opt/kelm/bin/KELM.HLP");
  // Started by a bare or relative name: the executable's real directory, not whatever
  // directory happens to be current when help is asked for.
  EXPECT_EQ(helpFilePathFor("kelm", "/usr/local/bin"), "/usr/local/bin/KELM.HLP");
  EXPECT_EQ(helpFilePathFor("kelm", "/"), "/KELM.HLP");
  // Installed, /usr/bin/kelm is a link to the program beside its help file.
  EXPECT_EQ(helpFilePathFor("/usr/bin/kelm", "/usr/lib/kelm"), "/usr/lib/kelm/KELM.HLP");
  // Without any knowledge of the executable the name stays as the command line gave it.
  EXPECT_EQ(helpFilePathFor("kelm", ""), "KELM.HLP");
  EXPECT_EQ(helpFilePathFor("bin/kelm", ""), "bin/KELM.HLP");
}

TEST(ProjectDirectory, KeepsTheSeparatorAndIgnoresPadding) {
  EXPECT_EQ(projectDirectoryOf("geom.cod"), "");
  EXPECT_EQ(projectDirectoryOf("/data/gun/geom.cod"), "/data/gun/");
  EXPECT_EQ(projectDirectoryOf("/data/gun/"), "/data/gun/");
  EXPECT_EQ(projectDirectoryOf("gun\\geom.cod   "), "gun\\");
  EXPECT_EQ(projectDirectoryOf("/data/my gun/klinput.dat  "), "/data/my gun/");
  EXPECT_EQ(projectDirectoryOf(""), "");
}

}  // namespace
}  // namespace kelm
