#include "window/offscreen.h"

#include <QBuffer>
#include <QGuiApplication>
#include <algorithm>
#include <cstdlib>

#include "runtime/fp_traps.h"
#include "window/surface.h"
#include "window/vector_recorder.h"

namespace kelm::window {

namespace {

// A command-line program's standard error is its user's: Qt's notes about the environment
// (a missing runtime directory and the like) stay out of it; its real failures do not.
QtMessageHandler qtDefaultHandler = nullptr;

void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg) qtDefaultHandler(type, context, message);
}

}  // namespace

struct OffscreenSession::Application {
  Application(int& argc, char** argv) : app(argc, argv) {}
  QGuiApplication app;
};

OffscreenSession::OffscreenSession(int& argc, char** argv) {
  if (QCoreApplication::instance() != nullptr) return;
  // Whatever platform the environment names, pictures are drawn without a display.
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  qtDefaultHandler = qInstallMessageHandler(quietHandler);
  FloatingPointTrapsSuspended untrapped;
  application_ = std::make_unique<Application>(argc, argv);
}

OffscreenSession::~OffscreenSession() = default;

struct OffscreenPicture::Parts {
  Surface surface;
  std::unique_ptr<VectorRecorder> vectors;
};

OffscreenPicture::OffscreenPicture(int width, int height, std::string_view vectorTitle)
    : parts_(std::make_unique<Parts>()) {
  FloatingPointTrapsSuspended untrapped;
  const QSize size(std::max(width, 1), std::max(height, 1));
  parts_->surface.image = QImage(size, QImage::Format_RGB32);
  parts_->surface.image.fill(Qt::white);
  if (!vectorTitle.empty()) {
    const QString title = QString::fromUtf8(vectorTitle.data(), static_cast<qsizetype>(vectorTitle.size()));
    parts_->vectors = std::make_unique<VectorRecorder>(size, title);
    parts_->surface.vectors = parts_->vectors.get();
  }
}

OffscreenPicture::~OffscreenPicture() {
  if (activeSurface() == &parts_->surface) makeSurfaceActive(nullptr);
}

void OffscreenPicture::makeActive() { makeSurfaceActive(&parts_->surface); }

std::string OffscreenPicture::png() const {
  FloatingPointTrapsSuspended untrapped;
  QByteArray bytes;
  QBuffer buffer(&bytes);
  std::lock_guard guard(parts_->surface.lock);
  if (!buffer.open(QIODevice::WriteOnly) || !parts_->surface.image.save(&buffer, "PNG")) return {};
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

std::string OffscreenPicture::svg() {
  if (!parts_->vectors) return {};
  std::lock_guard guard(parts_->surface.lock);
  parts_->surface.vectors = nullptr;
  return parts_->vectors->finish();
}

}  // namespace kelm::window
