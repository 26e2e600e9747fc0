// The editor gets the project file as exactly one argument, byte for byte, never through a
// shell.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "tests/records/temp_directory.h"
#include "window/dialogs.h"

namespace kelm::window {
namespace {

TEST(Editor, AwkwardPathsArriveAsOneArgumentAndNothingElseRuns) {
  const testing::TempDirectory temp;
  const auto dir = temp.path();
  const auto script = dir / "editor.sh", record = dir / "editor.sh.argv", witness = dir / "ran";
  std::ofstream(script) << R"sh(#!/bin/sh
printf '%s|%s|%s|%s' "$#" "$1" "$(sed -n 's/^SigIgn:[[:space:]]*//p' /proc/$$/status)" $$ > "$0.tmp" && mv "$0.tmp" "$0.argv"
)sh";
  std::filesystem::permissions(script, std::filesystem::perms::owner_all);

  // Blanks, quotes, shell syntax, a line break and bytes that are not valid text.
  const std::string path = "/tmp/my project/it's \"geom\"; touch " + witness.string() + " $(touch " +
                           witness.string() + ")\nnext/\xff\xfe\xe9t\xe9/geom.cod";
  // As in KELM, which ignores SIGPIPE: the editor must not inherit that.
  const auto previousHandler = std::signal(SIGPIPE, SIG_IGN);
  ASSERT_TRUE(startEditor(script.string(), path));
  std::signal(SIGPIPE, previousHandler);
  for (int i = 0; i < 200 && !std::filesystem::exists(record); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  std::ifstream in(record);
  const std::string seen((std::istreambuf_iterator<char>(in)), {});
  const std::size_t last = seen.rfind('|');
  const std::size_t mask = seen.rfind('|', last - 1);
  EXPECT_EQ(seen.substr(0, mask), "1|" + path);
  const unsigned long ignored = std::stoul(seen.substr(mask + 1, last - mask - 1), nullptr, 16);
  EXPECT_EQ(ignored & (1ul << (SIGPIPE - 1)), 0u) << "the editor starts with SIGPIPE ignored";
  EXPECT_FALSE(std::filesystem::exists(witness));

  // The ended editor waits as a zombie until the next start reaps it, even a failing one.
  const auto process = std::filesystem::path("/proc") / seen.substr(last + 1);
  auto state = [&] {
    std::ifstream stat(process / "stat");
    std::string pid, name, letter;
    stat >> pid >> name >> letter;
    return letter;
  };
  for (int i = 0; i < 200 && state() != "Z"; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(25));
  ASSERT_EQ(state(), "Z");
  EXPECT_FALSE(startEditor((dir / "no-such-editor").string(), "/tmp/geom.cod"));
  EXPECT_FALSE(std::filesystem::exists(process));
}

}  // namespace
}  // namespace kelm::window
