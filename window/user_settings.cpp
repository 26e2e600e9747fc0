#include "window/user_settings.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QStringList>

#include "window/frame_window.h"
#include "window/layer.h"

namespace kelm::window {
namespace {

// KELM's own names, not the executable's, so that a renamed or test binary shares them.
QSettings userSettings() { return QSettings(QSettings::NativeFormat, QSettings::UserScope, "KELM", "KELM"); }

constexpr char kGeometryKey[] = "frame/geometry";
constexpr char kStateKey[] = "frame/state";

bool onAScreen(const QRect& area) {
  // The title bar must be reachable: its middle on some screen's available area.
  const QPoint titleBar(area.center().x(), area.top() + 8);
  for (const QScreen* screen : QGuiApplication::screens())
    if (screen->availableGeometry().contains(titleBar)) return true;
  return false;
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
  const QRect before = frame->geometry();
  if (!frame->restoreGeometry(settings.value(kGeometryKey).toByteArray())) return;
  if (!onAScreen(frame->normalGeometry())) {
    frame->setWindowState(Qt::WindowNoState);
    frame->setGeometry(before);
    return;
  }
  frame->restoreState(settings.value(kStateKey).toByteArray());
}

void saveFrameLayout() {
  const FrameWindow* frame = layer().frame;
  if (frame == nullptr) return;
  QSettings settings = userSettings();
  settings.setValue(kGeometryKey, frame->saveGeometry());
  settings.setValue(kStateKey, frame->saveState());
  settings.sync();
}

}  // namespace kelm::window
