#pragma once
// The frame: MDI area, menu bar rendered from the layer's menu model, status bar with the run
// state, and the built-in commands. Internal to window/.

#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>

#include "window/menu_bar_view.h"

namespace kelm::window {

class FrameWindow : public QMainWindow {
 public:
  FrameWindow();

  QMdiArea* mdiArea() const { return mdi_; }
  // Shows the model's menu bar; safe from inside a menu's own callback.
  void renderMenus();
  void showRunState();
  void showNote(const QString& text) { note_->setText(text); }
  void showReadout(const QString& text) { readout_->setText(text); }
  // A menu command: built-ins 1000..1025, else a program item (nothing while Paused).
  void runCommand(int id);

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QMdiArea* mdi_;
  QLabel* status_;
  QLabel* note_;
  QLabel* readout_;
  MenuBarView menuView_;
};

// Creates the frame and the "Output" window and registers the layer's window port. Called
// once the application object exists; tests call it too.
void createLayerWindows();
// Removes them again (tests).
void destroyLayerWindows();

}  // namespace kelm::window
