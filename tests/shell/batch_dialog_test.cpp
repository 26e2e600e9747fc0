// The "Select KELM projects" dialog driven as a user would, on a temporary tree made the home
// directory: what the tree shows and when, the project list, and what OK and Cancel leave
// behind. The process's current directory must never move.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeWidget>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

#include "runtime/process_paths.h"
#include "source/program/batch/batch_run.h"
#include "source/program/batch/batch_dialog.h"
#include "source/program/dialog_resources.h"
#include "source/program/request_flags.h"
#include "tests/records/temp_directory.h"
#include "tests/window/gui_wait.h"
#include "window/dialog_record.h"

namespace kelm {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

// The dialog as the user sees it.
struct Dialog {
  QWidget* window;

  QTreeWidget* tree() const { return window->findChild<QTreeWidget*>(); }
  QListWidget* list() const { return window->findChild<QListWidget*>(); }
  QComboBox* drives() const { return window->findChild<QComboBox*>(); }
  void press(const QString& text) const {
    QPushButton* button = testing::buttonNamed(*window, text);
    ASSERT_NE(button, nullptr) << text.toStdString();
    button->click();
  }

  QTreeWidgetItem* item(const Names& path) const {
    QTreeWidgetItem* at = tree()->invisibleRootItem();
    for (const std::string& name : path) {
      int i = 0;
      while (i < at->childCount() && at->child(i)->text(0).toStdString() != name) ++i;
      if (i == at->childCount()) return nullptr;
      at = at->child(i);
    }
    return at;
  }
  Names children(const Names& path) const {
    Names names;
    const QTreeWidgetItem* parent = item(path);
    for (int i = 0; parent != nullptr && i < parent->childCount(); ++i) names.push_back(parent->child(i)->text(0).toStdString());
    return names;
  }
  // Opens every level down to path, as clicking the expand buttons would.
  void expand(const Names& path) const {
    for (std::size_t depth = 1; depth <= path.size(); ++depth) {
      tree()->expandItem(item(Names(path.begin(), path.begin() + static_cast<std::ptrdiff_t>(depth))));
    }
  }
  void add(const Names& path) const {
    tree()->setCurrentItem(item(path));
    press(">");
  }
  Names entries() const {
    Names texts;
    for (int i = 0; i < list()->count(); ++i) texts.push_back(list()->item(i)->text().toStdString());
    return texts;
  }
  qint64 iconOf(const Names& path) const { return item(path)->icon(0).cacheKey(); }
};

// Runs the command; once its dialog is up, hands it to act. Returns the command's state word.
int withDialog(const std::function<void(const Dialog&)>& act) {
  std::int32_t state = 0;
  testing::actOnModal<QDialog>(
      [&](QDialog& window) {
        EXPECT_EQ(window.windowTitle(), "Select KELM projects");
        act(Dialog{&window});
        if (QApplication::activeModalWidget() == &window) Dialog{&window}.press("Cancel");
      },
      [&] { batchModeCommand(&state); });
  return state;
}

class BatchDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    resource::registerDialogs();
    for (const char* dir : {"alpha", "beta/inner/deeper/deepest", "beta/plain", "Gamma/sub", "empty", "fake/geom.cod"}) {
      fs::create_directories(root() / dir);
    }
    for (const char* file : {"alpha/geom.cod", "beta/inner/geom.cod", "beta/inner/deeper/deepest/geom.cod", "notes.txt"}) {
      testing::TempDirectory::writeFile((root() / file).string(), "");
    }
    fs::create_directory_symlink(root() / "beta", root() / "link");
    fs::create_directories(root() / "linked");
    fs::create_symlink(root() / "alpha" / "geom.cod", root() / "linked" / "geom.cod");
    fs::create_directories(root() / "dangling");
    fs::create_symlink(root() / "nowhere", root() / "dangling" / "geom.cod");
    const char* home = std::getenv("HOME");
    previousHome_ = home != nullptr ? home : "/";
    setenv("HOME", root().c_str(), 1);
    projectList(1) = "/earlier";
    projectCount = 1;
    batchRequested.store(0);
    leaveRequested.store(0);
  }
  void TearDown() override {
    setenv("HOME", previousHome_.c_str(), 1);
    EXPECT_EQ(currentDirectory(), root().string());
  }
  const fs::path& root() const { return temp_.path(); }
  std::string pathOf(const char* relative) const { return (root() / relative).string(); }

  testing::TempDirectory temp_;  // current for the test
  std::string previousHome_;
};

TEST_F(BatchDialog, TreeShowsProjectsAtEveryLevelAndEachSubdirectoryOnce) {
  withDialog([&](const Dialog& d) {
    EXPECT_EQ(d.drives()->currentText().toStdString(), root().string());  // it holds the current directory
    EXPECT_EQ(d.drives()->itemText(0), "/");
    // Sorted without regard to case; files are not listed, links to directories are.
    EXPECT_EQ(d.children({}), (Names{"alpha", "beta", "dangling", "empty", "fake", "Gamma", "link", "linked"}));
    EXPECT_EQ(d.children({"beta"}).size(), 1u);  // the probe that gives it an expand button
    EXPECT_TRUE(d.children({"empty"}).empty());

    const qint64 project = d.iconOf({"alpha"}), folder = d.iconOf({"beta"});
    EXPECT_NE(project, folder);
    // Only a file named geom.cod, or a link to one, makes a project.
    EXPECT_EQ(d.iconOf({"fake"}), folder);
    EXPECT_EQ(d.iconOf({"dangling"}), folder);
    EXPECT_EQ(d.iconOf({"linked"}), project);
    d.expand({"beta", "inner", "deeper"});
    EXPECT_EQ(d.children({"beta"}), (Names{"inner", "plain"}));
    EXPECT_EQ(d.iconOf({"beta", "inner"}), project);
    EXPECT_EQ(d.iconOf({"beta", "inner", "deeper"}), folder);
    EXPECT_EQ(d.iconOf({"beta", "inner", "deeper", "deepest"}), project);
    EXPECT_EQ(d.children({"beta", "inner", "deeper"}), (Names{"deepest"}));

    // Opening again lists what is new, and nothing twice.
    d.tree()->collapseItem(d.item({"beta"}));
    fs::create_directory(root() / "beta" / "Extra");
    d.tree()->expandItem(d.item({"beta"}));
    EXPECT_EQ(d.children({"beta"}), (Names{"Extra", "inner", "plain"}));
    EXPECT_EQ(d.children({"beta", "inner"}), (Names{"deeper"}));

    // A directory that went away meanwhile adds nothing.
    fs::remove_all(root() / "Gamma");
    d.tree()->expandItem(d.item({"Gamma"}));
    EXPECT_EQ(d.children({"Gamma"}), (Names{"sub"}));

    // White is transparent in the pictures.
    const QImage picture = d.item({"alpha"})->icon(0).pixmap(20, 12).toImage();
    EXPECT_EQ(picture.pixelColor(19, 0).alpha(), 0);
    EXPECT_EQ(picture.pixelColor(0, 11).alpha(), 255);
  });
}

TEST_F(BatchDialog, ConfirmingADriveRebuildsTheTreeCollapsedAndCancelKeepsTheList) {
  withDialog([&](const Dialog& d) {
    d.expand({"beta"});
    QComboBox* drives = d.drives();
    emit drives->activated(drives->currentIndex());
    EXPECT_FALSE(d.item({"beta"})->isExpanded());
    EXPECT_EQ(d.children({"beta"}).size(), 1u);

    drives->setCurrentIndex(0);
    emit drives->activated(0);
    const Names top = d.children({});
    EXPECT_NE(std::find(top.begin(), top.end(), "usr"), top.end());
    // Named from the drive chosen, and refused: /usr is no project.
    EXPECT_TRUE(testing::messageBoxText([&] { d.add({"usr"}); }).startsWith("/usr holds no geom.cod"));
    EXPECT_TRUE(d.entries().empty());
    d.press("Cancel");
  });
  EXPECT_EQ(projectList(1), "/earlier");
  EXPECT_EQ(batchRequested.load(), 0);
}

TEST_F(BatchDialog, AddRemoveClearAndDuplicates) {
  // Longer than the 260 characters a path once had to fit in.
  const std::string longName(200, 'L');
  fs::create_directories(root() / longName / longName);
  std::ofstream(root() / longName / longName / "geom.cod");
  withDialog([&](const Dialog& d) {
    d.press(">");  // nothing selected yet
    EXPECT_TRUE(d.entries().empty());
    // Only a directory that holds geom.cod is a project, picked or typed.
    for (const std::string& typed : {std::string(), pathOf("empty"), std::string("alpha")}) {
      d.window->findChild<QLineEdit*>()->setText(QString::fromStdString(typed));
      const QString refusal = testing::messageBoxText([&] { d.add({"empty"}); });
      EXPECT_TRUE(refusal.contains(typed == "alpha" ? "from /" : "holds no geom.cod")) << refusal.toStdString();
    }
    d.window->findChild<QLineEdit*>()->setText(QString::fromStdString(pathOf("alpha") + "/"));
    d.press(">");
    EXPECT_EQ(d.entries(), (Names{pathOf("alpha")}));
    EXPECT_TRUE(d.window->findChild<QLineEdit*>()->text().isEmpty());
    d.press("Clear");
    d.add({"alpha"});
    d.add({"alpha"});
    d.expand({"beta", "inner"});
    d.add({"beta", "inner"});
    EXPECT_EQ(d.entries(), (Names{pathOf("alpha"), pathOf("alpha"), pathOf("beta/inner")}));

    d.list()->setCurrentRow(0);
    d.press("<");
    EXPECT_EQ(d.entries(), (Names{pathOf("alpha"), pathOf("beta/inner")}));
    d.press("Clear");
    EXPECT_TRUE(d.entries().empty());

    d.expand({longName});
    d.add({longName, longName});
    d.add({"alpha"});
    d.press("OK");
  });
  ASSERT_EQ(projectCount, 2);
  EXPECT_EQ(projectList(1), pathOf("alpha"));
  EXPECT_EQ(projectList(2), (root() / longName / longName).string());
}

// Storing the list sorted and raising the batch are the batch script's, with real keys.
TEST_F(BatchDialog, OkNeedsOneToAHundredProjects) {
  const int state = withDialog([&](const Dialog& d) {
    d.press("OK");
    QApplication::processEvents();
    EXPECT_TRUE(d.window->isVisible());
    d.add({"linked"});
    for (int i = 0; i < kMaxBatchProjects; ++i) d.add({"alpha"});
    const QString message = testing::messageBoxText([&] { d.press("OK"); });
    EXPECT_TRUE(message.contains("at most 100 projects") && message.contains("101")) << message.toStdString();
    EXPECT_TRUE(d.window->isVisible());
    EXPECT_EQ(batchRequested.load(), 0);

    d.list()->setCurrentRow(0);
    d.press("<");
    d.press("OK");
  });
  EXPECT_EQ(state, 1);  // the dialog was released
  EXPECT_EQ(projectCount, kMaxBatchProjects);
}

// Return in the lists, which ends nothing, is the batch and window manager scripts', with real keys.
TEST_F(BatchDialog, HiddenDirectoriesComeLastAndTheDialogGrows) {
  fs::create_directories(root() / ".hidden");
  fs::create_directories(root() / "beta/inner/deeper/deepest/a-directory-with-a-name-far-too-long-for-the-tree-as-it-opens");
  withDialog([&](const Dialog& d) {
    EXPECT_EQ(d.children({}).back(), ".hidden");
    // Made larger, the tree and the list take the room; deep names scroll sideways.
    const QSize tree = d.tree()->size(), list = d.list()->size();
    d.window->resize(d.window->size() + QSize(200, 100));
    testing::processEventsUntil([&] { return d.tree()->width() != tree.width(); }, std::chrono::seconds(5));
    EXPECT_EQ(d.tree()->size(), tree + QSize(100, 100));
    EXPECT_EQ(d.list()->size(), list + QSize(100, 100));
    d.expand({"beta", "inner", "deeper", "deepest"});
    EXPECT_TRUE(testing::processEventsUntil([&] { return d.tree()->horizontalScrollBar()->maximum() > 0; },
                                            std::chrono::seconds(5)));
  });
  EXPECT_EQ(batchRequested.load(), 0);
}

// The two dialogs' labels and buttons show their whole texts, whatever font the desktop uses.
TEST_F(BatchDialog, DialogTextsFitTheirControlsInEveryFont) {
  const QFont original = QApplication::font();
  for (const QFont& font : {QFont("DejaVu Sans", 9), QFont("DejaVu Sans", 16), QFont("Liberation Serif", 13),
                            QFont("Liberation Mono", 11)}) {
    QApplication::setFont(font);
    for (int resource : {resource::kZCoordinateDialog, resource::kProjectListDialog}) {
      const int dialog = window::loadDialog(resource);
      QWidget* window = window::findDialog(dialog)->dialog.get();
      // A button needs a pixel more than its text for its frame.
      auto fits = [&](QWidget* control, const QString& text, int frame) {
        EXPECT_GE(control->width(), control->fontMetrics().horizontalAdvance(text) + frame)
            << text.toStdString() << " in " << font.family().toStdString() << " " << font.pointSize();
      };
      for (QLabel* label : window->findChildren<QLabel*>()) fits(label, label->text(), 0);
      for (QPushButton* button : window->findChildren<QPushButton*>()) fits(button, button->text(), 1);
      window::releaseDialog(dialog);
    }
  }
  QApplication::setFont(original);
}

}  // namespace
}  // namespace kelm
