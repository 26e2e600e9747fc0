// Tests that need widgets: one QApplication for all the tests of an executable.
#include <gtest/gtest.h>

#include <QApplication>

#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);  // test discovery runs without a display too
  // The user's own settings are never read or written by a test: recent projects and the
  // frame's layout go to a directory of this run.
  std::string settings = (std::filesystem::temp_directory_path() / "kelm-settings-XXXXXX").string();
  if (::mkdtemp(settings.data()) == nullptr) return 1;
  setenv("XDG_CONFIG_HOME", settings.c_str(), 1);
  int code = 0;
  {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    code = RUN_ALL_TESTS();
  }
  std::error_code ignored;
  std::filesystem::remove_all(settings, ignored);
  return code;
}
