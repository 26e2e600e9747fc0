// Another program rewriting the shown project's files: the driver loads once more by itself,
// the plane kept, whether the file is written in place or replaced by a rename, and never
// while a dialog is open, the watch is off, or a command of KELM's own writes the files.
#include <gtest/gtest.h>

#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTimer>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "source/program/display/display_driver.h"
#include "source/klplot/project/project_data.h"
#include "source/program/main_program.h"
#include "tests/shell/program_frame.h"
#include "source/program/project/project_watch.h"
#include "source/program/request_flags.h"
#include "source/project_files/file_hash.h"
#include "source/project_files/solve_record.h"
#include "tests/records/temp_directory.h"
#include "tests/window/gui_wait.h"
#include "window/file_watch.h"
#include "window/output_window.h"

namespace kelm {
namespace {

namespace fs = std::filesystem;
using testing::processEventsUntil;
using testing::TempDirectory;

int loadCount() { return static_cast<int>(window::layer().output->toPlainText().count("Loading project from")); }

bool idle() { return leaveRequested.load() == 0 && testing::statusText() == "Idle"; }

// The watch's timer from a change until the change is taken.
QTimer& quietTimer() { return *window::layer().frame->findChild<QTimer*>(window::kQuietTimerName); }

class FileWatch : public testing::ProgramFrame {
 protected:
  void SetUp() override {
    fs::copy(fs::path(KELM_EXAMPLES_DIR) / "simple", ".", fs::copy_options::recursive);
    result_ = TempDirectory::readFile("klplt.res");
    ProgramFrame::SetUp();
    program_ = std::thread([this] {
      while (!stop_.load()) {
        klplot::loadAndDisplay();
        serveOneRequest();
      }
      returned_ = true;
    });
    ASSERT_TRUE(processEventsUntil([] { return loadCount() == 1 && idle(); }))
        << window::layer().output->toPlainText().toStdString();
  }
  void TearDown() override {
    stop_ = true;
    // Asked again until it returns: a load under way clears the request when it idles.
    processEventsUntil([this] {
      leaveRequested.store(1);
      return returned_.load();
    });
    program_.join();
    ProgramFrame::TearDown();
  }

  // Waits until the watch has seen the change (unless there was none), taken it and the
  // driver idles with no reload to come, twice in a row; the loads must then stand at count.
  void expectLoadsToStayAt(int count, bool afterAChange = true) {
    bool seen = !afterAChange;
    int calm = 0;
    EXPECT_TRUE(processEventsUntil([&] {
      seen = seen || quietTimer().isActive();
      calm = seen && !quietTimer().isActive() && idle() && loadCount() >= count ? calm + 1 : 0;
      return calm >= 2;
    })) << loadCount();
    EXPECT_EQ(loadCount(), count);
  }

  // A plane away from the middle, where a fresh load would put it.
  static float movePlane() {
    const float z = static_cast<float>(klplot::projectData.zAxisMin * 0.75 + klplot::projectData.zAxisMax * 0.25);
    klplot::projectData.phaseZ.store(z);
    return z;
  }

  TempDirectory dir_;
  std::string result_;
  std::atomic<bool> stop_{false}, returned_{false};
  std::thread program_;
};

TEST_F(FileWatch, ARewriteInPlaceOrByRenameReloadsOnceKeepingThePlane) {
  const float z = movePlane();
  TempDirectory::writeFile("klplt.res", result_);
  expectLoadsToStayAt(2);
  EXPECT_EQ(klplot::projectData.phaseZ.load(), z);

  TempDirectory::writeFile("pot.tmp", TempDirectory::readFile("pot.dat"));
  ASSERT_EQ(std::rename("pot.tmp", "pot.dat"), 0);
  expectLoadsToStayAt(3);
  EXPECT_EQ(klplot::projectData.phaseZ.load(), z);

  // The replaced file is watched again under its new inode.
  TempDirectory::writeFile("pot.dat", TempDirectory::readFile("pot.dat"));
  expectLoadsToStayAt(4);

  // A file the project did not have before is seen when it appears; others are not.
  fs::remove("mag.dat");
  expectLoadsToStayAt(5);
  TempDirectory::writeFile("mag.dat", TempDirectory::readFile(fs::path(KELM_EXAMPLES_DIR) / "simple" / "mag.dat"));
  expectLoadsToStayAt(6);
  TempDirectory::writeFile("notes.txt", "not a project file\n");
  expectLoadsToStayAt(6);

  // A load the user asks for puts the plane back in the middle.
  leaveRequested.store(1);
  expectLoadsToStayAt(7, false);
  EXPECT_NE(klplot::projectData.phaseZ.load(), z);
}

TEST_F(FileWatch, AHalfWrittenFileIsDamagedUntilItIsComplete) {
  TempDirectory::writeFile("klplt.res", result_.substr(0, result_.size() / 2));
  expectLoadsToStayAt(2);
  const QString output = window::layer().output->toPlainText();
  EXPECT_TRUE(output.endsWith("File KLPLT.RES damaged")) << output.right(200).toStdString();

  TempDirectory::writeFile("klplt.res", result_);
  expectLoadsToStayAt(3);
  EXPECT_TRUE(window::layer().output->toPlainText().endsWith("File KLPLT.RES loaded"));
}

TEST_F(FileWatch, AChangeWhileADialogIsOpenReloadsOnceItCloses) {
  const float z = movePlane();
  int loadsWhileOpen = -1;
  testing::actOnModal<QMessageBox>(
      [&](QMessageBox& box) {
        TempDirectory::writeFile("klplt.res", result_);
        TempDirectory::writeFile("geom.dat", TempDirectory::readFile("geom.dat"));
        // Once the quiet time is over the watch finds the dialog and waits again, on another
        // interval: by then a reload would have been asked for.
        int quiet = -1;
        EXPECT_TRUE(processEventsUntil([&] {
          if (quietTimer().isActive() && quiet < 0) quiet = quietTimer().interval();
          return quiet >= 0 && quietTimer().isActive() && quietTimer().interval() != quiet;
        }));
        loadsWhileOpen = loadCount();
        box.accept();
      },
      [] { QMessageBox(QMessageBox::Information, "KELM", "A dialog", QMessageBox::Ok).exec(); });
  EXPECT_EQ(loadsWhileOpen, 1);
  expectLoadsToStayAt(2);
  EXPECT_EQ(klplot::projectData.phaseZ.load(), z);
}

TEST_F(FileWatch, TheStateMenuTurnsWatchingOffAndOnAgain) {
  auto checked = [] { return (window::layer().menus.entries()[2].items[1].flags & window::kChecked) != 0; };
  EXPECT_TRUE(checked());
  std::int32_t state = 0;
  watchFilesCommand(&state);
  EXPECT_FALSE(checked());
  TempDirectory::writeFile("klplt.res", result_);
  expectLoadsToStayAt(1);

  // What changed meanwhile is loaded once watching is back.
  watchFilesCommand(&state);
  EXPECT_TRUE(checked());
  expectLoadsToStayAt(2);
}

// A solve's result files reload nothing, nor does its record while it says "writing"; the record
// written last reloads once, and results that do not match it are withheld, never mixed.
TEST_F(FileWatch, ASolvedProjectReloadsOnItsRecord) {
  projectfiles::SolveRecord record;
  record.results = {{"klplt.res", projectfiles::sha256Hex(result_)}};
  const auto writeRecord = [&](projectfiles::SolveStatus status) {
    record.status = status;
    TempDirectory::writeFile(projectfiles::kRecordFile, projectfiles::recordText(record));
  };
  writeRecord(projectfiles::SolveStatus::kSolved);
  expectLoadsToStayAt(2);
  TempDirectory::writeFile("klplt.res", result_.substr(0, result_.size() / 2));
  expectLoadsToStayAt(2);
  writeRecord(projectfiles::SolveStatus::kWriting);
  expectLoadsToStayAt(2);
  EXPECT_EQ(klplot::projectData.resultLoaded, 1);
  writeRecord(projectfiles::SolveStatus::kSolved);
  expectLoadsToStayAt(3);
  EXPECT_TRUE(window::layer().output->toPlainText().contains(projectfiles::kIncompleteMessage));
  EXPECT_EQ(klplot::projectData.trajCount, 0);
}

// Build net writes geom.dat while the driver is away: the load that follows it is the only one.
TEST_F(FileWatch, KelmsOwnWriteIsLoadedOnce) {
  buildNetRequested.store(1);
  leaveRequested.store(1);
  expectLoadsToStayAt(2);
  EXPECT_TRUE(window::layer().output->toPlainText().contains("geom.dat written"));
}

}  // namespace
}  // namespace kelm
