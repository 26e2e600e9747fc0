#include "window/file_watch.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QPointer>
#include <QTimer>

#include <vector>

#include "window/frame_window.h"
#include "window/gui_thread.h"
#include "window/layer.h"

namespace kelm::window {
namespace {

// A solver writes its files one after another; each write restarts the wait.
constexpr int kQuietMilliseconds = 400;
constexpr int kRetryMilliseconds = 250;

class FileWatch : public QObject {
 public:
  explicit FileWatch(QObject* parent) : QObject(parent) {
    // Found by its name among the frame's children: whoever must know that no reload is still
    // coming (a test) looks at it.
    quiet_.setObjectName(kQuietTimerName);
    quiet_.setSingleShot(true);
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, [this] { changed(); });
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this] { changed(); });
    connect(&quiet_, &QTimer::timeout, this, [this] { settle(); });
  }

  void watch(const QString& directory, std::vector<QString> names, FilesQuietCallback onQuiet) {
    onQuiet_ = onQuiet;
    if (directory != directory_) {
      if (!watcher_.files().isEmpty()) watcher_.removePaths(watcher_.files());
      if (!watcher_.directories().isEmpty()) watcher_.removePaths(watcher_.directories());
      directory_ = directory;
      names_ = std::move(names);
      quiet_.stop();
    }
    watchPresentPaths();
  }

  void changed() {
    // A file replaced by a rename drops out of the watch: its new inode is taken up here.
    watchPresentPaths();
    quiet_.start(kQuietMilliseconds);
  }

 private:
  void watchPresentPaths() {
    if (directory_.isEmpty()) return;
    const QDir dir(directory_);
    if (dir.exists() && !watcher_.directories().contains(directory_)) watcher_.addPath(directory_);
    for (const QString& name : names_) {
      const QString path = dir.filePath(name);
      if (QFileInfo(path).isFile() && !watcher_.files().contains(path)) watcher_.addPath(path);
    }
  }

  void settle() {
    const bool held = QApplication::activeModalWidget() != nullptr || layer().runState.load() == kPaused;
    if (held || (onQuiet_ != nullptr && !onQuiet_())) quiet_.start(kRetryMilliseconds);
  }

  QFileSystemWatcher watcher_;
  QTimer quiet_{this};
  QString directory_;
  std::vector<QString> names_;
  FilesQuietCallback onQuiet_ = nullptr;
};

// Lives with the frame, so tests that make a new frame start with a new watch.
FileWatch* frameWatch() {
  static QPointer<FileWatch> watch;
  if (watch == nullptr && layer().frame != nullptr) watch = new FileWatch(layer().frame);
  return watch;
}

}  // namespace

void watchFiles(const std::string& directory, std::span<const char* const> names, FilesQuietCallback onQuiet) {
  std::vector<QString> qtNames;
  for (const char* name : names) qtNames.push_back(QString::fromUtf8(name));
  const QString qtDirectory = QFile::decodeName(QByteArray(directory.data(), static_cast<qsizetype>(directory.size())));
  runOnGui([&] {
    if (FileWatch* watch = frameWatch()) watch->watch(qtDirectory, std::move(qtNames), onQuiet);
  });
}

void recheckWatchedFiles() {
  runOnGui([] {
    if (FileWatch* watch = frameWatch()) watch->changed();
  });
}

}  // namespace kelm::window
