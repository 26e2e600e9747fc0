// The layer's dialogs and the help viewer: who owns them, and what a modal dialog leaves usable.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTest>
#include <QTextBrowser>

#include <array>

#include "window/dialogs.h"
#include "window/frame_window.h"
#include "tests/window/gui_wait.h"
#include "window/layer.h"

namespace kelm::window {
namespace {

QTextBrowser* shownViewer() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (auto* viewer = qobject_cast<QTextBrowser*>(widget); viewer != nullptr && viewer->isVisible()) return viewer;
  }
  return nullptr;
}

// The help file's first link, whichever topic the file puts first.
QString firstLinkOf(const char* helpFile) {
  QFile file(helpFile);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QRegularExpression(R"re(href="#([^"]+)")re").match(QString::fromUtf8(file.readAll())).captured(1);
}

TEST(HelpViewer, ScrollsAndFollowsLinksWhileTheFileDialogIsOpen) {
  createLayerWindows();
  layer().frame->show();
  showHelpContents(KELM_HELP_FILE);  // already open from the Help menu: the dialog blocks it first
  std::array<char, 260> fileName;
  fileName.fill(' ');
  int scrolledTo = 0;
  QString followed;
  testing::actOnModal<QFileDialog>(
      [&](QFileDialog& dialog) {
        dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Help)->click();
        QTextBrowser* viewer = shownViewer();
        if (viewer != nullptr && QTest::qWaitForWindowExposed(viewer)) {
          // Keys through the platform's path, where a window that a modal dialog blocks gets none.
          QTest::keyClick(viewer->windowHandle(), Qt::Key_End);
          scrolledTo = viewer->verticalScrollBar()->value();
          for (Qt::Key key : {Qt::Key_Home, Qt::Key_Tab, Qt::Key_Return}) QTest::keyClick(viewer->windowHandle(), key);
          followed = viewer->source().fragment();
        }
        dialog.reject();
      },
      [&] { EXPECT_FALSE(chooseProjectFile(fileName, true, KELM_HELP_FILE, {"Select KELM project", "geom.cod"})); });

  EXPECT_GT(scrolledTo, 0) << "End did not scroll the help, or no viewer was shown";
  EXPECT_EQ(followed, firstLinkOf(KELM_HELP_FILE)) << "Tab and Return did not follow the first link";
  QTextBrowser* viewer = shownViewer();
  ASSERT_NE(viewer, nullptr) << "the viewer closed with the dialog";
  EXPECT_EQ(viewer->parentWidget(), layer().frame);
  destroyLayerWindows();
  EXPECT_EQ(shownViewer(), nullptr);
}

constexpr ControlTemplate kControls[] = {{1, ControlKind::defaultButton, "OK", 10, 10, 40, 14}};
constexpr DialogTemplate kTemplate{990, "Owned", 100, 40, kControls};

TEST(DialogLibrary, ADialogOutlivesTheWindowThatWasActiveWhenItWasLoaded) {
  createLayerWindows();
  registerDialogTemplate(kTemplate);
  auto* viewer = new QTextBrowser();
  viewer->setAttribute(Qt::WA_DeleteOnClose);
  viewer->show();
  viewer->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(viewer));
  const int dialog = loadDialog(990);
  ASSERT_GT(dialog, 0);
  viewer->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(setControlText(dialog, 1, "Fine"), 1);
  EXPECT_EQ(releaseDialog(dialog), 1);
  destroyLayerWindows();
}

}  // namespace
}  // namespace kelm::window
