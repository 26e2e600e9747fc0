// The File menu's built-in commands and the file dialogs, headless: what Save writes and says,
// where File > Print... prints, and that no file dialog of KELM can delete, rename or create.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTimer>
#include <QToolButton>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "records/formatted.h"
#include "records/units.h"
#include "tests/print/command_output.h"
#include "tests/records/temp_directory.h"
#include "tests/window/gui_wait.h"
#include "window/dialogs.h"
#include "window/frame.h"
#include "window/frame_window.h"
#include "window/layer.h"

namespace kelm::window {
namespace {

namespace fs = std::filesystem;
using testing::actOnModal;

constexpr int kPrintCommand = 1019, kSaveCommand = 1020;

std::string head(const fs::path& file, std::size_t bytes) { return testing::TempDirectory::readFile(file.string()).substr(0, bytes); }

class FileCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    createLayerWindows();
    layer().printWords = {"KELM", "KELM_PRINT_TO"};  // as the program gives them at its start
    layer().frame->show();
    (void)records::openUnit(12, {.file = "USER", .title = "Beam"});
    focusWindow(12);
    testing::processEventsUntil([] { return layer().frame->mdiArea()->activeSubWindow() == findUnitWindow(12).frame; });
  }
  void TearDown() override {
    records::closeUnit(12);
    destroyLayerWindows();
    unsetenv("KELM_PRINT_TO");
  }
  // Runs the command, answering its file dialog with answer; a message box it shows is closed
  // and its text returned.
  static QString messageOf(int command, const std::function<void(QFileDialog&)>& answer = {}) {
    QString said;
    // Two timers: a box may come up while the dialog is being answered.
    QTimer boxes, dialogs;
    QObject::connect(&boxes, &QTimer::timeout, [&] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        said = box->text();
        box->accept();
      }
    });
    QObject::connect(&dialogs, &QTimer::timeout, [&] {
      if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
        answer(*dialog);
        if (dialog->isVisible()) dialog->reject();  // an answer the dialog refused
      }
    });
    boxes.start(5);
    dialogs.start(5);
    layer().frame->runCommand(command);
    return said;
  }
  const fs::path& dir() const { return temp_.path(); }
  testing::TempDirectory temp_;
};

TEST_F(FileCommands, SaveWritesTheFormatItsNameOrItsFilterChoosesAndSaysWhyItCouldNot) {
  struct Row {
    const char* typed;
    int filter;  // 0 PNG, 1 BMP
    const char* file;
    const char* magic;
  } rows[] = {
      {"plain", 0, "plain.png", "\x89PNG"},
      {"plain", 1, "plain.bmp", "BM"},
      {"upper.BMP", 0, "upper.BMP", "BM"},
      {"run.one", 1, "run.one", "BM"},
  };
  for (const Row& row : rows) {
    const QString said = messageOf(kSaveCommand, [&](QFileDialog& dialog) {
      dialog.setDirectory(QString::fromStdString(dir().string()));
      auto* types = dialog.findChild<QComboBox*>("fileTypeCombo");
      types->setCurrentIndex(row.filter);
      emit types->activated(row.filter);  // as a user's choice does
      emit types->textActivated(types->itemText(row.filter));
      dialog.findChild<QLineEdit*>("fileNameEdit")->setText(row.typed);
      static_cast<QDialog&>(dialog).accept();
    });
    EXPECT_TRUE(said.isEmpty()) << row.typed << ": " << said.toStdString();
    EXPECT_EQ(head(dir() / row.file, std::string(row.magic).size()), row.magic) << row.typed;
  }
  // The directory goes away while the dialog shows it.
  const fs::path gone = dir() / "gone";
  fs::create_directory(gone);
  const QString said = messageOf(kSaveCommand, [&](QFileDialog& dialog) {
    dialog.setDirectory(QString::fromStdString(gone.string()));
    fs::remove(gone);
    dialog.findChild<QLineEdit*>("fileNameEdit")->setText("picture");
    static_cast<QDialog&>(dialog).accept();
  });
  EXPECT_TRUE(said.startsWith(QString::fromStdString("The picture was not saved to " + (gone / "picture.png").string() + ": ")))
      << said.toStdString();
}

// The program's refusal comes after the dialog's replace question, and the file stays whole.
TEST_F(FileCommands, SaveLeavesAFileTheProgramRefusesAsItWas) {
  layer().saveRefusal = [](const std::string& path) {
    return path.ends_with("klplt.res") ? std::string("KLPLT.RES is a project file.") : std::string();
  };
  const fs::path kept = dir() / "klplt.res";
  testing::TempDirectory::writeFile(kept.string(), "results");
  const QString said = messageOf(kSaveCommand, [&](QFileDialog& dialog) {
    dialog.setDirectory(QString::fromStdString(dir().string()));
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.findChild<QLineEdit*>("fileNameEdit")->setText("klplt.res");
    static_cast<QDialog&>(dialog).accept();
  });
  layer().saveRefusal = nullptr;
  EXPECT_EQ(said, "KLPLT.RES is a project file.");
  EXPECT_EQ(testing::TempDirectory::readFile(kept.string()), "results");
}

TEST_F(FileCommands, FileDialogsNeitherDeleteNorCreate) {
  const fs::path kept = dir() / "geom.cod";
  std::ofstream(kept) << "kept\n";
  const QString where = QString::fromStdString(dir().string());
  const std::function<void(QFileDialog&)> tryToChange = [&](QFileDialog& dialog) {
    dialog.setNameFilter("Any file (*)");
    dialog.setDirectory(where);
    auto* files = dialog.findChild<QFileSystemModel*>();
    auto* view = dialog.findChild<QListView*>("listView");
    QModelIndex file;
    testing::processEventsUntil([&] {
      file = files->index(QString::fromStdString(kept.string()));
      return file.isValid() && view->rootIndex() == file.parent() && files->rowCount(file.parent()) == 1;
    });
    view->selectionModel()->select(file, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    for (QAction* action : dialog.findChildren<QAction*>()) {
      if (action->text() != "&Delete") continue;
      // Asked whether to delete, the user says yes.
      actOnModal<QMessageBox>([](QMessageBox& box) { box.button(QMessageBox::Yes)->click(); },
                              [&] { action->trigger(); });
    }
    if (auto* newFolder = dialog.findChild<QToolButton*>("newFolderButton")) newFolder->click();
    dialog.reject();
  };
  struct Row {
    const char* dialog;
    std::function<void()> open;
  } rows[] = {
      {"Select KELM project", [] {
         std::array<char, 260> name;
         name.fill(' ');
         chooseProjectFile(name, true, "", {"Select KELM project", "geom.cod"});
       }},
      {"Save", [] { layer().frame->runCommand(kSaveCommand); }},
  };
  for (const Row& row : rows) {
    actOnModal<QFileDialog>(tryToChange, row.open);
    EXPECT_TRUE(fs::exists(kept)) << row.dialog;
    EXPECT_EQ(std::distance(fs::directory_iterator(dir()), fs::directory_iterator()), 1) << row.dialog;
  }
}

TEST_F(FileCommands, PrintFollowsKelmPrintToAndNamesTheDocument) {
  records::print(" A record of the Output window");
  testing::processEventsUntil([] { return layer().output->toPlainText().contains("A record"); });
  struct Row {
    const char* active;
    int unit;
    const char* text;  // what the page shows as text
  } rows[] = {{"Beam", 12, ""}, {"Output", kOutputUnit, "A record of the Output window"}};
  for (const Row& row : rows) {
    const fs::path pdf = dir() / (std::string(row.active) + ".pdf");
    setenv("KELM_PRINT_TO", pdf.c_str(), 1);
    focusWindow(row.unit);
    testing::processEventsUntil([&] { return layer().frame->mdiArea()->activeSubWindow() == findUnitWindow(row.unit).frame; });
    EXPECT_TRUE(messageOf(kPrintCommand).isEmpty()) << row.active;
    const std::string info = testing::commandOutput("pdfinfo '" + pdf.string() + "'");
    EXPECT_TRUE(QRegularExpression("(^|\n)Title: +KELM\n").match(QString::fromStdString(info)).hasMatch()) << row.active << "\n" << info;
    EXPECT_NE(testing::commandOutput("pdftotext '" + pdf.string() + "' -").find(row.text), std::string::npos) << row.active;
  }
}

}  // namespace
}  // namespace kelm::window
