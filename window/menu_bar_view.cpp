#include "window/menu_bar_view.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <algorithm>

namespace kelm::window {

namespace {

bool sameShape(const MenuItem& a, const MenuItem& b) {
  return a.id == b.id && a.startsColumn == b.startsColumn &&
         (a.flags & kSeparator) == (b.flags & kSeparator);
}

bool sameShape(const MenuEntry& a, const MenuEntry& b) {
  return a.dropDown == b.dropDown && a.id == b.id &&
         std::equal(a.items.begin(), a.items.end(), b.items.begin(), b.items.end(),
                    [](const MenuItem& x, const MenuItem& y) { return sameShape(x, y); });
}

// The accelerator an item shows after its tab ("E&xit\tCtrl+C") is also its shortcut.
QKeySequence shortcutShownIn(const std::string& text) {
  const std::size_t tab = text.rfind('\t');
  if (tab == std::string::npos) return {};
  return QKeySequence::fromString(QString::fromStdString(text.substr(tab + 1)), QKeySequence::PortableText);
}

void applyState(QAction& action, const std::string& text, int flags) {
  action.setText(QString::fromStdString(text));
  action.setShortcut(shortcutShownIn(text));
  action.setEnabled((flags & (kGrayed | kDisabled)) == 0);
  action.setCheckable((flags & kChecked) != 0);
  action.setChecked((flags & kChecked) != 0);
}

}  // namespace

MenuBarView::MenuBarView(QMenuBar& bar, std::function<void(int id)> run) : bar_(bar), run_(std::move(run)) {}

void MenuBarView::show(const std::vector<MenuEntry>& entries) {
  const bool sameBar = std::equal(entries.begin(), entries.end(), shown_.begin(), shown_.end(),
                                  [](const MenuEntry& a, const MenuEntry& b) { return sameShape(a, b); });
  if (sameBar && owner_) update(entries);
  else rebuild(entries);
  shown_ = entries;
}

QAction* MenuBarView::newAction(int id) {
  auto* action = new QAction(owner_);
  QObject::connect(action, &QAction::triggered, owner_, [this, id] { run_(id); });
  return action;
}

void MenuBarView::rebuild(const std::vector<MenuEntry>& entries) {
  // The old bar's menus may still be inside the very signal that asked for this rebuild.
  if (owner_) owner_->deleteLater();
  bar_.clear();
  owner_ = new QObject(&bar_);
  entryActions_.clear();
  itemActions_.clear();
  for (const MenuEntry& entry : entries) {
    std::vector<QPointer<QAction>> items;
    if (!entry.dropDown) {
      QAction* command = newAction(entry.id);
      bar_.addAction(command);
      entryActions_.emplace_back(command);
      itemActions_.push_back(std::move(items));
      continue;
    }
    auto* menu = new QMenu(&bar_);
    QObject::connect(owner_, &QObject::destroyed, menu, &QObject::deleteLater);
    for (const MenuItem& item : entry.items) {
      // Qt menus have no column break: a separator marks where the next column would start.
      if (item.startsColumn) menu->addSeparator();
      if ((item.flags & kSeparator) != 0) {
        menu->addSeparator();
        items.emplace_back(nullptr);
        continue;
      }
      QAction* action = newAction(item.id);
      menu->addAction(action);
      items.emplace_back(action);
    }
    bar_.addMenu(menu);
    entryActions_.emplace_back(menu->menuAction());
    itemActions_.push_back(std::move(items));
  }
  update(entries);
}

void MenuBarView::update(const std::vector<MenuEntry>& entries) {
  for (std::size_t e = 0; e < entries.size(); ++e) {
    if (QAction* title = entryActions_[e]) applyState(*title, entries[e].text, entries[e].flags);
    for (std::size_t i = 0; i < entries[e].items.size(); ++i) {
      const MenuItem& item = entries[e].items[i];
      if (QAction* action = itemActions_[e][i]) applyState(*action, item.text, item.flags);
    }
  }
}

}  // namespace kelm::window
