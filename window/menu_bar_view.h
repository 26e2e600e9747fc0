#pragma once
// The frame's QMenuBar kept in step with the layer's menu model. New texts, greying and check
// marks change the shown actions in place, so that a menu the user holds open stays open; only
// a change of the bar's shape builds it again. Message thread. Internal to window/.

#include <QPointer>

#include <functional>
#include <vector>

#include "window/menu_model.h"

class QAction;
class QMenuBar;

namespace kelm::window {

class MenuBarView {
 public:
  // run is called with the identifier of the item the user chose.
  MenuBarView(QMenuBar& bar, std::function<void(int id)> run);

  void show(const std::vector<MenuEntry>& entries);

 private:
  void rebuild(const std::vector<MenuEntry>& entries);
  void update(const std::vector<MenuEntry>& entries);
  QAction* newAction(int id);

  QMenuBar& bar_;
  std::function<void(int)> run_;
  QPointer<QObject> owner_;  // parent of every action of the current bar
  std::vector<MenuEntry> shown_;
  // Per entry: the bar's action (a command, or the drop-down's title), then its items'
  // actions, null for separators.
  std::vector<QPointer<QAction>> entryActions_;
  std::vector<std::vector<QPointer<QAction>>> itemActions_;
};

}  // namespace kelm::window
