// The File menu's recent projects: kept in the user's settings (here a directory of the test
// run), newest first, five at most; a vanished one is taken off with a message, a present one
// becomes the project through the same request as "Load Kelm project...".
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/shell/program_frame.h"
#include "source/program/project/recent_projects.h"
#include "source/program/request_flags.h"
#include "tests/records/temp_directory.h"
#include "tests/window/gui_wait.h"
#include "window/user_settings.h"

namespace kelm {
namespace {

namespace fs = std::filesystem;
using List = std::vector<std::string>;

TEST(RecentProjectList, NewestFirstOnceAndFiveAtMost) {
  struct Case {
    List before;
    std::string made;
    List after;
  } cases[] = {
      {{}, "/a", {"/a"}},
      {{"/a", "/b"}, "/c", {"/c", "/a", "/b"}},
      {{"/a", "/b", "/c"}, "/b", {"/b", "/a", "/c"}},
      {{"/a", "/b", "/c", "/d", "/e"}, "/f", {"/f", "/a", "/b", "/c", "/d"}},
      {{"/a", "/b", "/c", "/d", "/e"}, "/e", {"/e", "/a", "/b", "/c", "/d"}},
  };
  for (const Case& c : cases) EXPECT_EQ(withProjectFirst(c.before, c.made), c.after) << c.made;
}

TEST(RecentProjectList, ItemTextsNumberTheEntriesKeepAmpersandsAndShortenLongPathsBetweenCharacters) {
  EXPECT_EQ(recentProjectItemText(0, "/home/guns/x"), "&1 /home/guns/x");
  EXPECT_EQ(recentProjectItemText(4, "/r&d/gun"), "&5 /r&&d/gun");
  std::string wide = "/";
  for (int i = 0; i < 40; ++i) wide += "\xC3\xA4";  // ä, two bytes each
  const std::string text = recentProjectItemText(1, wide);
  EXPECT_LT(text.size(), wide.size());
  EXPECT_NE(text.find("..."), std::string::npos);
  // Every two-byte character whole: a lead byte is always followed by its continuation.
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\xC3') {
      EXPECT_EQ(text[i + 1], '\xA4') << i;
    }
  }
}

class RecentProjects : public testing::ProgramFrame {
 protected:
  void SetUp() override {
    window::writeSettingsList("recentProjects", {});
    ProgramFrame::SetUp();
  }
  void TearDown() override {
    ProgramFrame::TearDown();
    window::writeSettingsList("recentProjects", {});
  }

  static std::vector<std::string> fileMenu() { return testing::menuTexts(window::layer().menus.entries()[0]); }
  static std::vector<std::string> recentSection() {
    const std::vector<std::string> all = fileMenu();
    return {all.begin() + 10, all.end()};  // after the title and "Load Kelm project..."
  }
  // recentIndex from 1, as the item's number.
  static void choose(int recentIndex) {
    const window::MenuItem& item = window::layer().menus.entries()[0].items[std::size_t(9 + recentIndex)];
    std::int32_t state = 0;
    window::layer().menus.callbackFor(item.id)(&state);
  }
};

TEST_F(RecentProjects, KeptOnesShowNewestFirstInTheBusySetAndSurviveARestart) {
  // None kept: nothing shows, and the menu stays as built.
  const std::vector<std::string> built = fileMenu();
  showRecentProjects();
  EXPECT_EQ(fileMenu(), built);
  EXPECT_TRUE(recentSection().empty());

  testing::TempDirectory older, newer;  // newer is current
  rememberCurrentProject();
  fs::current_path(older.path());
  rememberCurrentProject();
  fs::current_path(newer.path());
  rememberCurrentProject();
  const std::string n = fs::current_path().string(), o = older.path().string();
  EXPECT_EQ(recentSection(), (std::vector<std::string>{"-", "&1 " + n + " (grey)", "&2 " + o + " (grey)"}));
  enableBusyCommands();
  EXPECT_EQ(recentSection(), (std::vector<std::string>{"-", "&1 " + n, "&2 " + o}));
  greyBusyCommands();
  EXPECT_EQ(recentSection()[1], "&1 " + n + " (grey)");

  // The next run finds them in the settings.
  window::destroyLayerWindows();
  testing::startFrame();
  enableBusyCommands();
  showRecentProjects();
  EXPECT_EQ(recentSection(), (std::vector<std::string>{"-", "&1 " + n, "&2 " + o}));
  EXPECT_EQ(window::readSettingsList("recentProjects"), (std::vector<std::string>{n, o}));
}

TEST_F(RecentProjects, ChoosingOneMakesItTheProjectAndAVanishedOneIsTakenOffWithAMessage) {
  const fs::path home = fs::current_path();
  testing::TempDirectory kept;
  const std::string keptPath = fs::current_path().string(), gone = keptPath + "/gone";
  fs::current_path(home);
  window::writeSettingsList("recentProjects", {keptPath, gone});
  showRecentProjects();
  enableBusyCommands();
  ASSERT_EQ(recentSection().size(), 3u);

  const QString said = testing::messageBoxText([] { choose(2); });
  EXPECT_TRUE(said.contains(QString::fromStdString(gone))) << said.toStdString();
  EXPECT_EQ(recentSection(), (std::vector<std::string>{"-", "&1 " + keptPath}));
  EXPECT_EQ(window::readSettingsList("recentProjects"), (std::vector<std::string>{keptPath}));

  leaveRequested.store(0);
  choose(1);
  EXPECT_EQ(fs::current_path().string(), keptPath);
  EXPECT_EQ(leaveRequested.exchange(0), 1);
  fs::current_path(home);
}

}  // namespace
}  // namespace kelm
