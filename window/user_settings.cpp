#include "window/user_settings.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QStringList>

#include <algorithm>

#include "window/frame_window.h"
#include "window/layer.h"

namespace kelm::window {
namespace {

// KELM's own names, not the executable's, so that a renamed or test binary shares them.
QSettings userSettings() { return QSettings(QSettings::NativeFormat, QSettings::UserScope, "KELM", "KELM"); }

// The frame's normal (unmaximised) client area and whether it was maximised, not Qt's geometry
// blob: that one holds the window manager's frame offset, which some managers add again at
// each start, so the frame crept upwards run by run.
constexpr char kNormalKey[] = "frame/normal";
constexpr char kMaximisedKey[] = "frame/maximised";
constexpr char kStateKey[] = "frame/state";

bool onAScreen(const QRect& area) {
  // The title bar must be reachable: its middle on some screen's available area.
  const QPoint titleBar(area.center().x(), area.top() + 8);
  for (const QScreen* screen : QGuiApplication::screens())
    if (screen->availableGeometry().contains(titleBar)) return true;
  return false;
}

// Within the screen it is on, so that the title bar and the status bar stay in sight once
// not maximised.
QRect withinItsScreen(QRect area) {
  if (const QScreen* screen = QGuiApplication::screenAt(area.center())) {
    const QRect room = screen->availableGeometry();
    area.setSize(area.size().boundedTo(room.size()));
    area.moveTo(std::clamp(area.x(), room.left(), room.right() + 1 - area.width()),
                std::clamp(area.y(), room.top(), room.bottom() + 1 - area.height()));
  }
  return area;
}

}  // namespace

std::vector<std::string> readSettingsList(std::string_view key) {
  const QStringList stored = userSettings().value(QString::fromUtf8(key.data(), qsizetype(key.size()))).toStringList();
  std::vector<std::string> values;
  for (const QString& value : stored) values.push_back(value.toStdString());
  return values;
}

void writeSettingsList(std::string_view key, const std::vector<std::string>& values) {
  QStringList stored;
  for (const std::string& value : values) stored.push_back(QString::fromStdString(value));
  QSettings settings = userSettings();
  settings.setValue(QString::fromUtf8(key.data(), qsizetype(key.size())), stored);
  settings.sync();
}

void restoreFrameLayout() {
  FrameWindow* frame = layer().frame;
  if (frame == nullptr) return;
  const QSettings settings = userSettings();
  const QRect normal = settings.value(kNormalKey).toRect();
  if (!normal.isValid() || !onAScreen(normal)) return;
  frame->setGeometry(withinItsScreen(normal));
  if (settings.value(kMaximisedKey).toBool()) frame->setWindowState(Qt::WindowMaximized);
  frame->restoreState(settings.value(kStateKey).toByteArray());
}

void saveFrameLayout() {
  const FrameWindow* frame = layer().frame;
  if (frame == nullptr) return;
  QSettings settings = userSettings();
  // A window manager may have pushed the normal area down by its title bar: kept as it will
  // be restored, so that it neither creeps nor leaves the screen from start to start.
  settings.setValue(kNormalKey, withinItsScreen(frame->normalGeometry()));
  settings.setValue(kMaximisedKey, frame->isMaximized());
  settings.setValue(kStateKey, frame->saveState());
  settings.sync();
}

}  // namespace kelm::window
